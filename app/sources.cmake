# The top layer: the entry, the draw, the readers and the command line.
# main.cpp and delivery.cpp are built into the program itself (and delivery
# into the GUI tests, whose Win32 tests capture it instead).
list(APPEND MERROWIND_PURE_SOURCES
    app/command_line.cpp
    app/loop_result.cpp
    app/random.cpp
)
list(APPEND MERROWIND_WIN32_SOURCES
    app/readers.cpp
    app/record_list.cpp
    app/selection.cpp
    app/start_up.cpp
)
