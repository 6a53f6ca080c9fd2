# Sourced by everything that runs the Windows build under Wine (scripts/wine-tests and the
# tests in tests/win32).
#
#   use_wine_prefix DIR   points Wine at a folder of its own, DIR, makes it there the first
#                         time (quietly, without a window) and starts its server
#   stop_wine             ends that server and every Windows program still running in DIR
#   wine_run OUT PROGRAM ARGS...
#                         runs a Windows program, both its output streams into the file OUT,
#                         and returns its exit status
#
# Wine keeps one server per folder, and the program that starts it hands it its open files: a
# server started by a test whose output goes into CTest's pipe would hold that pipe open after
# the test ended, and CTest would wait for its end for ever. So the server is started here, its
# output going nowhere, and ended by stop_wine, and so are the services it runs; a server left
# behind by an interrupted run is ended before a new one starts.

use_wine_prefix() {
    export WINEPREFIX="$1"
    export WINEARCH=win64 WINEDEBUG=-all
    # Neither .NET nor the HTML engine is needed; without these Wine would offer to install
    # them while it makes the folder.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    stop_wine
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making Wine's folder $WINEPREFIX (once)"
        mkdir -p "$WINEPREFIX"
        if ! DISPLAY="" timeout 600 wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1; then
            echo "wineboot failed, see $WINEPREFIX/wineboot.log" >&2
            return 1
        fi
        # A program that crashes ends at once, with no debugger and no dialog waiting for a
        # click that never comes.
        wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
            </dev/null >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            </dev/null >/dev/null 2>&1 || true
        timeout 120 wineserver -w </dev/null >/dev/null 2>&1 || stop_wine
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    # Wine's services (services.exe, the device and desktop processes) start with the first
    # program and stay as long as the server: started by a test, they would take its output
    # pipe with them. Started here by a program of no use, their output goes nowhere too.
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    timeout 30 wineserver -w </dev/null >/dev/null 2>&1 || true
}

# Wine's own start of a program fails now and then without a word: an error status and no
# output at all, about once in a whole run of the suites and never twice in a row. Every
# program run through this (velmora-db.exe, the window driver, Wine's `reg`) names its
# failures, so a call that failed and printed nothing runs once more.
wine_run() {
    local out="$1" status=0
    shift
    wine "$@" >"$out" 2>&1 </dev/null || status=$?
    if [ $status -ne 0 ] && [ ! -s "$out" ]; then
        echo "NOTE: wine $* ended with $status and printed nothing; once more" >&2
        status=0
        wine "$@" >"$out" 2>&1 </dev/null || status=$?
    fi
    return $status
}
