# The fortune window, which opens the settings: the wrap, its layout
# arithmetic, the terminal codes left out of it, the fixed-pitch rule and
# font for fortunes laid out in columns, the fortunes of this run to step
# back through, the copy of the fortune, and the window's context menu.
list(APPEND MERROWIND_PURE_SOURCES
    window/fixed_pitch.cpp
    window/fortune_copy.cpp
    window/fortune_history.cpp
    window/layout.cpp
    window/terminal_codes.cpp
    window/wrap.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    window/copy_key.cpp
    window/fixed_pitch_font.cpp
    window/fortune_menu.cpp
    window/fortune_window.cpp
)
