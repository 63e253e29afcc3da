# Start-up, catalogue, selection and readers.
list(APPEND MERROWIND_PURE_SOURCES
    app/command_line.cpp
    app/line_escape.cpp
    app/product.cpp
    app/random.cpp
    app/source_record.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    app/catalogue.cpp
    app/readers.cpp
    app/record_list.cpp
    app/selection.cpp
    app/system_dlls.cpp
)
