# The controls and helpers every window shares: the link labels, the
# scrolling text, the program's images, dialog placement, accessible names,
# wide text, the colour schemes (light, dark, high contrast), and the
# arithmetic of DPI, centring and scrolling.
list(APPEND MERROWIND_PURE_SOURCES
    controls/colours.cpp
    controls/geometry.cpp
    controls/link_action.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    controls/accessible_name.cpp
    controls/colour_scheme.cpp
    controls/dialog_support.cpp
    controls/link_control.cpp
    controls/program_images.cpp
    controls/scrolling_text.cpp
    controls/wide_text.cpp
)
