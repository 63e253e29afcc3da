# Every window of the program: the fortune window, the link controls, the
# settings and add/edit dialogs, and their pure rules.
list(APPEND MERROWIND_PURE_SOURCES
    window/colours.cpp
    window/dialog_rules.cpp
    window/fortune_copy.cpp
    window/layout.cpp
    window/link_action.cpp
    window/wrap.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    window/cookie_dialog.cpp
    window/accessible_name.cpp
    window/colour_scheme.cpp
    window/copy_key.cpp
    window/dialog_support.cpp
    window/fortune_window.cpp
    window/link_control.cpp
    window/program_images.cpp
    window/scrolling_text.cpp
    window/settings_dialog.cpp
    window/wide_text.cpp
)
