# The environment of every Wine call of this project, sourced by the scripts
# and by the build's wine-run.sh; the caller sets WINEPREFIX first, and
# MERROWIND_WINE_ARCH to x64 for the 64-bit build (x86 otherwise).
# Quiet: Wine's diagnostics would flood the test output. No .NET or HTML
# support: a fresh prefix would otherwise offer to install them and wait.
export WINEDEBUG="${MERROWIND_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
# Wine maps Windows file names to Linux ones through the locale: without a
# UTF-8 one (a fresh machine or container sets no LANG) a name outside ASCII,
# such as a Cyrillic user folder, cannot be made at all. C.UTF-8 exists on
# every Debian, with or without the locales package.
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
# Each build calls its own loader by its path. Debian's wine wrapper starts
# the 32-bit loader whenever wine32 is installed, and that loader cannot
# start where the machine runs no 32-bit code, so the 64-bit build never goes
# through it; the 32-bit build names the 32-bit loader for the same reason
# (and a bare "wine" below would name this function, which would call itself
# until the shell's stack runs out). wineserver finds its server by itself.
if [ "${MERROWIND_WINE_ARCH:-x86}" = x64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
else
    export WINEARCH=win32
    export WINELOADER=/usr/lib/wine/wine
fi
MERROWIND_WINE=$WINELOADER
# "wine" in every script that sources this file is the loader above.
wine() { "$MERROWIND_WINE" "$@"; }
