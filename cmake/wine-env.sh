# The environment of every Wine call of this project, sourced by the scripts
# and by the build's wine-run.sh; the caller sets WINEPREFIX first.
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
