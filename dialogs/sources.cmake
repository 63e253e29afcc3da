# The settings dialog, its options dialog and the add/edit cookie-file
# dialog, and their pure
# rules.
list(APPEND MERROWIND_PURE_SOURCES
    dialogs/dialog_rules.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    dialogs/cookie_dialog.cpp
    dialogs/options_dialog.cpp
    dialogs/settings_dialog.cpp
)
