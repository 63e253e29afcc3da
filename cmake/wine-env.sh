# The environment of every Wine call of this project, sourced by the scripts
# and by the build's wine-run.sh; the caller sets WINEPREFIX first.
# Quiet: Wine's diagnostics would flood the test output. No .NET or HTML
# support: a fresh prefix would otherwise offer to install them and wait.
export WINEDEBUG="${MERROWIND_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
