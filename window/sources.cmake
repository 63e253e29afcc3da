# The fortune window and the link controls.
list(APPEND MERROWIND_PURE_SOURCES
)
list(APPEND MERROWIND_WIN32_SOURCES
    window/fortune_window.cpp
    window/link_control.cpp
)
