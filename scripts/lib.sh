# Shared by the scripts: where things are built, and a warm Wine with a display.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
win_build="$root/build/win"
native_build="$root/build/native"
# The same prefix as the build's own wine-run.sh (cmake/windows.cmake).
export WINEPREFIX="$win_build/wineprefix"
source "$root/cmake/wine-env.sh"

build_windows() {
    cmake -S "$root" -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$win_build" -j"$(nproc)" "$@"
}

build_native() {
    CC=clang CXX=clang++ cmake -S "$root" -B "$native_build" -DMERROWIND_SANITIZE=ON \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$native_build" -j"$(nproc)" "$@"
}

# Starts a private X display unless one is given, and remembers to stop it.
xvfb_pid=""
start_display() {
    if [ -n "${MERROWIND_DISPLAY:-}" ]; then
        export DISPLAY="$MERROWIND_DISPLAY"
        return
    fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && return
            sleep 0.1
        done
    done
    echo "could not start Xvfb" >&2
    return 1
}

# Boots the prefix once and keeps a Wine server running, detached from our
# output, so that each Wine process starts fast and nothing inherits pipes.
start_wine() {
    mkdir -p "$win_build"
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wine wineboot -i </dev/null >/dev/null 2>&1 || true
}

stop_all() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Fails unless the file is a PE32 program that imports only Windows' own DLLs;
# prints the DLLs it imports.
check_windows_program() {
    local headers dll dlls
    headers=$(i686-w64-mingw32-objdump -p "$1") || return 1
    grep -q 'file format pei-i386' <<<"$headers" || { echo "$1 is not a PE32 program"; return 1; }
    dlls=$(grep 'DLL Name' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
    for dll in $dlls; do
        case $dll in
            advapi32.dll|comctl32.dll|comdlg32.dll|gdi32.dll|kernel32.dll|msvcrt.dll|shell32.dll|shlwapi.dll|user32.dll) ;;
            *) echo "$1 imports $dll, which is not one of Windows' own"; return 1 ;;
        esac
    done
    echo "$dlls"
}
