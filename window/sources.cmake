# The fortune window, which opens the settings: the wrap, its layout
# arithmetic and the copy of the fortune.
list(APPEND MERROWIND_PURE_SOURCES
    window/fortune_copy.cpp
    window/layout.cpp
    window/wrap.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    window/copy_key.cpp
    window/fortune_window.cpp
)
