# The fortune window and the link controls.
list(APPEND MERROWIND_PURE_SOURCES
    window/layout.cpp
    window/link_action.cpp
    window/wrap.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    window/fortune_window.cpp
    window/link_control.cpp
)
