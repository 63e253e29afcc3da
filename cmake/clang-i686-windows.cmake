# A second compiler for the same target: clang against the MinGW-w64 headers and
# libraries, so that constructs only GCC accepts cannot slip in unseen.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET i686-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET i686-w64-windows-gnu)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# clang does not find the C++ library of Debian's MinGW-w64 GCC by itself, and
# would call the host's linker.
execute_process(COMMAND i686-w64-mingw32-gcc-posix -print-libgcc-file-name
    OUTPUT_VARIABLE MERROWIND_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(MERROWIND_MINGW_GCC "${MERROWIND_MINGW_LIBGCC}" DIRECTORY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${MERROWIND_MINGW_GCC}/include/c++ ${MERROWIND_MINGW_GCC}/include/c++/i686-w64-mingw32)
# The POSIX thread model's runtime needs winpthread behind libgcc, which the
# driver's own library group does not name.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=/usr/bin/i686-w64-mingw32-ld -L${MERROWIND_MINGW_GCC} -Wl,--whole-archive -lpthread -Wl,--no-whole-archive")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
