# Cookie files, the legacy text file and the two source dialogs.
list(APPEND MERROWIND_PURE_SOURCES
    cookies/dialog_rules.cpp
    cookies/legacy_lines.cpp
    cookies/scanner.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    cookies/cookie_dialog.cpp
    cookies/dialog_support.cpp
    cookies/index_location.cpp
    cookies/indexer.cpp
    cookies/legacy_sync.cpp
    cookies/settings_dialog.cpp
)
