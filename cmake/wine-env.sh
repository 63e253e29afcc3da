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
# Debian's wine wrapper starts the 32-bit loader whenever wine32 is
# installed, and that loader cannot start where the machine runs no 32-bit
# code: the 64-bit build calls the 64-bit loader itself. wineserver finds the
# 64-bit server by itself.
if [ "${MERROWIND_WINE_ARCH:-x86}" = x64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    MERROWIND_WINE=$WINELOADER
else
    export WINEARCH=win32
    unset WINELOADER
    MERROWIND_WINE=wine
fi
# "wine" in every script that sources this file is the loader above.
wine() { "$MERROWIND_WINE" "$@"; }
