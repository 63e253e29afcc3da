# Cookie files, the legacy text file and the two source dialogs.
list(APPEND MERROWIND_PURE_SOURCES
    cookies/dialog_rules.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    cookies/cookie_dialog.cpp
    cookies/dialog_support.cpp
    cookies/indexer.cpp
    cookies/legacy_sync.cpp
    cookies/settings_dialog.cpp
)
