# The bottom layer: the stored record and the registry catalogue, the
# program's names and addresses, the order of the draw and the start at
# sign-in, the system DLLs loaded on first use, and how
# a fortune's bytes are read as characters.
list(APPEND MERROWIND_PURE_SOURCES
    core/ansi_path_rules.cpp
    core/draw_round.cpp
    core/product.cpp
    core/source_record.cpp
    core/text_encoding.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    core/ansi_path.cpp
    core/catalogue.cpp
    core/catalogue_lock.cpp
    core/code_page.cpp
    core/draw_store.cpp
    core/sign_in.cpp
    core/system_dlls.cpp
)
