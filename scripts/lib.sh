# Shared by the scripts: where things are built, which Windows architectures
# this machine runs, and a warm Wine with a display.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native_build="$root/build/native"

# Does this machine run 32-bit x86 code at all? Many 64-bit kernels (virtual
# machines, container hosts) are built without it, and then no 32-bit Wine
# can start, whatever is installed. The probe is the smallest static i386
# program there is: it does nothing but exit with 7, so it needs no 32-bit
# library and answers before anything is installed.
# MERROWIND_PROBE_32BIT=fail makes it answer no, to try the 64-bit-only path.
runs_32bit_code() {
    [ "${MERROWIND_PROBE_32BIT:-}" = fail ] && return 1
    local probe code
    probe=$(mktemp) || return 1
    # ELF header, one loadable segment at 0x08048000, then
    # mov eax, 1; mov ebx, 7; int 0x80 (exit(7)).
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0' >"$probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$probe"
    printf '\270\1\0\0\0\273\7\0\0\0\315\200' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    code=$?
    rm -f "$probe"
    [ "$code" -eq 7 ]
}

# Chooses the architectures to build and run: MERROWIND_ARCH=x86, x64 or
# both; by default both where the machine runs 32-bit code, else x64 alone.
# Sets archs (an array) and arch_reason (one line that says why), or says
# why it cannot and fails.
choose_archs() {
    local runs32=1
    runs_32bit_code || runs32=0
    case "${MERROWIND_ARCH:-}" in
        "")
            if [ "$runs32" -eq 1 ]; then
                archs=(x86 x64)
                arch_reason="this machine runs 32-bit code: the Windows tests ran on the 32-bit and the 64-bit build"
            else
                archs=(x64)
                arch_reason="this machine runs no 32-bit code: the Windows tests ran on the 64-bit build only"
            fi ;;
        x64)
            archs=(x64)
            arch_reason="MERROWIND_ARCH=x64: the Windows tests ran on the 64-bit build only" ;;
        x86|both)
            if [ "$runs32" -eq 0 ]; then
                echo "MERROWIND_ARCH=$MERROWIND_ARCH, but this machine runs no 32-bit code (a 32-bit program ends with \"Exec format error\"): use MERROWIND_ARCH=x64" >&2
                return 1
            fi
            if [ "$MERROWIND_ARCH" = x86 ]; then
                archs=(x86)
                arch_reason="MERROWIND_ARCH=x86: the Windows tests ran on the 32-bit build only"
            else
                archs=(x86 x64)
                arch_reason="MERROWIND_ARCH=both: the Windows tests ran on the 32-bit and the 64-bit build"
            fi ;;
        *)
            echo "MERROWIND_ARCH must be x86, x64 or both, not \"$MERROWIND_ARCH\"" >&2
            return 1 ;;
    esac
    export MERROWIND_ARCHS="${archs[*]}"
}

# Points the Windows build, its Wine prefix and every wine call at one
# architecture: x86 (build/win, a 32-bit prefix) or x64 (build/win64).
use_arch() {
    arch=$1
    case $arch in
        x86) win_build="$root/build/win" toolchain="$root/cmake/mingw-i686.cmake" ;;
        x64) win_build="$root/build/win64" toolchain="$root/cmake/mingw-x86_64.cmake" ;;
        *) echo "unknown architecture $arch" >&2; return 1 ;;
    esac
    export MERROWIND_WINE_ARCH=$arch
    # The same prefix as the build's own wine-run.sh (cmake/windows.cmake).
    export WINEPREFIX="$win_build/wineprefix"
    source "$root/cmake/wine-env.sh"
}

# The architecture the scripts use when they need only one: the first of
# the run's choice (MERROWIND_ARCHS, as a caller made it) or of
# choose_archs; x64 when the choice is refused, which the caller reports.
default_arch() {
    if [ -n "${MERROWIND_ARCHS:-}" ]; then
        echo "${MERROWIND_ARCHS%% *}"
    else
        (choose_archs 2>/dev/null && echo "${archs[0]}") || echo x64
    fi
}
use_arch "$(default_arch)"

build_windows() {
    cmake -S "$root" -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
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
# The server refuses to start in a prefix folder that is not there yet, as on
# every fresh checkout: the folder is made first. Without a lasting server
# each test program starts one of its own, which ends with it, and the next
# program boots the prefix again; two such boots at once under ctest -j can
# leave a test waiting until its time-out.
start_wine() {
    mkdir -p "$WINEPREFIX"
    local code=0
    wineserver -p >/dev/null 2>&1 </dev/null || code=$?
    # 2: this prefix's server is running already.
    if [ "$code" -ne 0 ] && [ "$code" -ne 2 ]; then
        echo "no lasting Wine server could be started in $WINEPREFIX" >&2
        return 1
    fi
    wine wineboot -i </dev/null >/dev/null 2>&1 || true
}

# Fails unless the Wine of the current architecture starts a program; says
# why in one line, and leaves Wine's own first line in wine_failure.
check_wine() {
    local version code=0
    version=$(wine --version 2>&1 </dev/null) || code=$?
    if [ "$code" -ne 0 ] || [[ "$version" != wine-* ]]; then
        wine_failure=$(head -n 1 <<<"${version:-no output, exit code $code}")
        echo "the $arch Wine does not start ($MERROWIND_WINE: $wine_failure): no Windows test can run" >&2
        return 1
    fi
}

stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

stop_all() {
    stop_wine
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Fails unless the file is a Windows program of the current architecture
# (PE32 for x86, PE32+ for x64) that imports only Windows' own DLLs; prints
# the DLLs it imports.
check_windows_program() {
    local headers dll dlls format kind
    case ${2:-$arch} in
        x86) format=pei-i386 kind=PE32 ;;
        x64) format=pei-x86-64 kind=PE32+ ;;
    esac
    headers=$(x86_64-w64-mingw32-objdump -p "$1") || return 1
    grep -q "file format $format\$" <<<"$headers" || { echo "$1 is not a $kind program"; return 1; }
    dlls=$(grep 'DLL Name' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
    for dll in $dlls; do
        case $dll in
            advapi32.dll|comctl32.dll|comdlg32.dll|gdi32.dll|kernel32.dll|msvcrt.dll|shell32.dll|shlwapi.dll|user32.dll) ;;
            *) echo "$1 imports $dll, which is not one of Windows' own"; return 1 ;;
        esac
    done
    echo "$dlls"
}

# The architectures scripts/package builds: those of the test run
# (MERROWIND_ARCHS), else MERROWIND_ARCH's choice, else both. Packaging only
# builds, so both work on any machine.
package_archs() {
    if [ -n "${MERROWIND_ARCHS:-}" ]; then
        echo "$MERROWIND_ARCHS"
        return
    fi
    case "${MERROWIND_ARCH:-both}" in
        x86|x64) echo "$MERROWIND_ARCH" ;;
        both) echo "x86 x64" ;;
        *) echo "MERROWIND_ARCH must be x86, x64 or both, not \"$MERROWIND_ARCH\"" >&2; return 1 ;;
    esac
}

# A throwaway code-signing certificate for the tests, made afresh in folder
# $1: cert.pem (to verify against) and cert.pfx, whose password is
# $test_password.
test_password="not-a-secret-$$"
make_test_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1/key.pem" -out "$1/cert.pem" -days 2 \
        -subj "/CN=Merrowind test" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
        openssl pkcs12 -export -inkey "$1/key.pem" -in "$1/cert.pem" -out "$1/cert.pfx" -passout "pass:$test_password"
}
