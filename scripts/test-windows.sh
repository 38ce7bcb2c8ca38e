#!/bin/sh
# The Windows side, from a fresh clone: builds the 32-bit brindlemark.exe with
# MinGW-w64 (preset mingw-i686), checks that it is a PE32 GUI program that
# imports system DLLs only, runs the test programs under Wine (ctest: the
# portable unit tests, the real dialog in the 8-bit code page, dropped path
# forms Win32 would rewrite dropped onto a running brindlemark.exe, the real
# dialog in code page 932 under a Japanese locale, the
# manifest and version block read back from brindlemark.exe, and probes
# showing that the harness fails a program that exits non-zero or crashes
# after a passing summary) and drives the unmodified program through real
# drops under Xvfb, names beyond code page 1252 included. Before any test
# runs, the Wine prefix's COM1..COM9 and LPT1..LPT9 are pointed at a
# pseudo-terminal or /dev/null, never at a port of this machine.
#
#   scripts/test-windows.sh [--update-screenshot]
#
# Where MinGW-w64, Wine or Xvfb are missing it says which tests it skipped
# and why, and goes on or exits 0; with BRINDLEMARK_REQUIRE_WINDOWS=1 (as in
# CI) a missing tool is a failure. On a kernel that cannot run 32-bit code,
# where Wine's 32-bit loader fails with "Exec format error", the Wine tests
# run on the 64-bit build of the same sources (preset mingw-x86_64) instead.
# --update-screenshot copies the screenshot of the dialog to docs/dialog.png.

set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)
require=${BRINDLEMARK_REQUIRE_WINDOWS:-0}
update_screenshot=0
case "${1:-}" in
    --update-screenshot) update_screenshot=1 ;;
    "") ;;
    *) echo "usage: scripts/test-windows.sh [--update-screenshot]" >&2; exit 2 ;;
esac

say() { echo "test-windows: $*"; }
fail() { say "FAILED: $*"; exit 1; }
# skip WHAT WHY: says which tests are not run and why; fails when required.
skip() {
    say "SKIPPED $1: $2"
    [ "$require" = 1 ] && fail "BRINDLEMARK_REQUIRE_WINDOWS=1, and $2"
    return 0
}
have() { command -v "$1" >/dev/null 2>&1; }

# ---- The 32-bit program -------------------------------------------------------
for tool in cmake ninja i686-w64-mingw32-g++-posix i686-w64-mingw32-windres i686-w64-mingw32-objdump; do
    if ! have "$tool"; then
        skip "every Windows test (the 32-bit build, the tests under Wine, the end-to-end drop)" \
            "$tool is not installed (scripts/windows-packages.sh installs it)"
        exit 0
    fi
done

cmake --preset mingw-i686 >/dev/null || fail "configuring mingw-i686"
cmake --build --preset mingw-i686 || fail "the mingw-i686 build"

exe=build/mingw-i686/ui/brindlemark.exe
headers=$(i686-w64-mingw32-objdump -p "$exe")
echo "$headers" | grep -Eq '^Magic[[:space:]]+010b' || fail "$exe is not a PE32 program"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "$exe is not a GUI program"
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
for dll in $imports; do
    case $(echo "$dll" | tr '[:lower:]' '[:upper:]') in
        KERNEL32.DLL | USER32.DLL | SHELL32.DLL | MSVCRT.DLL | GDI32.DLL | ADVAPI32.DLL) ;;
        *) fail "$exe imports $dll, which a bare Windows does not have" ;;
    esac
done
say "ok: $exe is a PE32 GUI program importing only $imports"

# ---- Which Wine runs the test programs ----------------------------------------
if [ ! -x /usr/lib/wine/wine ]; then
    skip "the tests under Wine and the end-to-end drop" \
        "Wine's 32-bit loader /usr/lib/wine/wine (package wine32:i386) is not installed"
    exit 0
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    preset=mingw-i686 loader=/usr/lib/wine/wine arch=win32
elif [ -x /usr/lib/wine/wine64 ] && have x86_64-w64-mingw32-g++-posix; then
    say "NOTE: this kernel cannot run 32-bit programs (/usr/lib/wine/wine: Exec format error)."
    say "NOTE: the tests under Wine run on the 64-bit build of the same sources (preset mingw-x86_64);"
    say "NOTE: the 32-bit $exe above is built and checked, not run."
    preset=mingw-x86_64 loader=/usr/lib/wine/wine64 arch=win64
    cmake --preset mingw-x86_64 >/dev/null || fail "configuring mingw-x86_64"
    cmake --build --preset mingw-x86_64 || fail "the mingw-x86_64 build"
else
    skip "the tests under Wine and the end-to-end drop" \
        "this kernel cannot run 32-bit programs, and wine64 or x86_64-w64-mingw32-g++-posix is missing"
    exit 0
fi
build=$root/build/$preset

# ---- The Wine prefix, inside the build folder ------------------------------------
export WINEPREFIX="$build/wineprefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
wine() { "$loader" "$@"; }
pty_holder=""
# ports_registry COM1_TARGET: the prefix's serial and parallel ports, as a
# file for regedit (see "The ports" below).
ports_registry() {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n"COM1"="%s"\n' "$1"
    for n in 2 3 4 5 6 7 8 9; do printf '"COM%d"="/dev/null"\n' "$n"; done
    for n in 1 2 3 4 5 6 7 8 9; do printf '"LPT%d"="/dev/null"\n' "$n"; done
}
# On leaving: COM1 back to /dev/null (the pseudo-terminal goes with its
# holder, and its number may later be another's terminal), the holder and
# the server ended.
leave() {
    if [ -n "$pty_holder" ]; then
        ports_registry /dev/null >"$build/ports.reg"
        wine regedit /S "$(printf 'Z:%s' "$build/ports.reg" | tr / '\\')" </dev/null >/dev/null 2>&1 || true
        kill "$pty_holder" 2>/dev/null || true
    fi
    wineserver -k 2>/dev/null || true
}
trap leave EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "making the Wine prefix $WINEPREFIX"
    wine wineboot -i </dev/null >/dev/null 2>&1
fi
# A crash must fail a test, not wait for a click; no X for the ctest tests;
# Wine draws the caption itself where no window manager runs (Xvfb).
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
# Nor may a crash pass: with winedbg attached, a crashed program often ends
# with code 0 (measured: 5 crashes of 6), so one that crashed after a passing
# summary passed. With no debugger that can start, Wine ends it with the
# exception's code (0xC0000005, exit status 5) every time, and at once.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /d 'no-debugger-for-tests.exe' /f >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null

# ---- The ports ---------------------------------------------------------------------
# A file named aux.spc or com1.spc opens COM1 (AUX is COM1, PRN is LPT1), and
# Wine maps COM1 to the machine's first serial port: no test may reach it.
# COM1 leads to a pseudo-terminal this script holds and nobody writes to, so
# that a dialog reading it hangs as on an idle port (the test sees that), the
# other names COM2..COM9 and LPT1..LPT9 to /dev/null. Wine's mount manager
# makes the dosdevices links anew at each start, a serial port of the machine
# at the first number not set here (COM10 or later, which no file name
# reaches), so the ports are set in HKLM\Software\Wine\Ports and the links
# checked once the server runs again. Without python3 to hold the
# pseudo-terminal, COM1 leads to /dev/null too.
com1=/dev/null
if have python3; then
    rm -f "$build/pty.name"  # not there until the holder has written it
    # The holder also counts each time the terminal is opened (inotify's
    # IN_OPEN), in port-opens.txt: a test sees there that COM1 was opened
    # even where nothing was read from it. (Not "com1.opens": Win32 would
    # read that name as the device.)
    echo 0 >"$build/port-opens.txt"
    python3 -c 'import ctypes, os, pty, sys
libc = ctypes.CDLL(None, use_errno=True)
master, slave = pty.openpty()
name = os.ttyname(slave)
os.close(slave)
watch = libc.inotify_init()
libc.inotify_add_watch(watch, name.encode(), 0x20)
print(name, flush=True)
opens = 0
while True:
    opens += len(os.read(watch, 4096)) // 16
    with open(sys.argv[1], "w") as out: out.write("%d\n" % opens)' "$build/port-opens.txt" >"$build/pty.name" &
    pty_holder=$!
    waited=0
    while [ ! -s "$build/pty.name" ] && [ "$waited" -lt 100 ]; do sleep 0.1; waited=$((waited + 1)); done
    com1=$(cat "$build/pty.name")
    [ -c "$com1" ] || fail "no pseudo-terminal for COM1 (python3 printed: $com1)"
else
    say "NOTE: no python3 to hold a pseudo-terminal: COM1 leads to /dev/null, where a dialog reading it does not hang"
fi
ports_registry "$com1" >"$build/ports.reg"
wine regedit /S "$(printf 'Z:%s' "$build/ports.reg" | tr / '\\')" </dev/null >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w
# ports_safe: every port a file name reaches leads where it was set, or nowhere.
ports_safe() {
    for port in com1 com2 com3 com4 com5 com6 com7 com8 com9 lpt1 lpt2 lpt3 lpt4 lpt5 lpt6 lpt7 lpt8 lpt9; do
        link="$WINEPREFIX/dosdevices/$port"
        [ -L "$link" ] || [ -e "$link" ] || continue
        case "$port:$(readlink "$link")" in
            "com1:$com1" | *:/dev/null) ;;
            *) say "$port leads to $(readlink "$link")"; return 1 ;;
        esac
    done
}

# Wine must really run this build's programs: a missing loader part can
# make it print nothing and exit 0.
usage=$(wine "$build/tests/windows/drop_helper.exe" 2>&1 | tr -d '\r' || true)
case $usage in
    *"usage: drop_helper"*) say "ok: Wine runs the $preset programs" ;;
    *) fail "Wine does not run $build/tests/windows/drop_helper.exe (it printed: $usage)" ;;
esac

# ---- The Japanese locale -------------------------------------------------------------
# code_page_932_tests runs under ja_JP.UTF-8 (Wine's ANSI code page is then
# 932); made here, in the build folder, where the system lacks it.
if [ ! -d "$build/locale/ja_JP.UTF-8" ]; then
    have localedef || fail "localedef (package locales) is needed to make the ja_JP.UTF-8 locale"
    mkdir -p "$build/locale"
    localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8" >/dev/null 2>&1 ||
        [ -f "$build/locale/ja_JP.UTF-8/LC_CTYPE" ] || fail "making the ja_JP.UTF-8 locale"
fi

# ---- ctest under Wine ---------------------------------------------------------------
# A server started first and detached keeps each test from waiting for it.
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1
ports_safe || fail "the Wine prefix's ports do not lead where they were set"
say "ok: COM1 (and AUX) lead to $com1; COM2..COM9, LPT1..LPT9 to /dev/null"
export BRINDLEMARK_SAFE_PORTS=1
[ -n "$pty_holder" ] && export BRINDLEMARK_COM1_OPENS="$build/port-opens.txt"
ctest --preset "$preset" --no-tests=error -j2 >"$build/ctest.log" 2>&1 && status=0 || status=$?
cat "$build/ctest.log"
[ "$status" = 0 ] || fail "ctest under Wine (whole log: $build/ctest.log)"
# Each test program runs whole and passes on GoogleTest's printed summary;
# the tag reader's, the renaming's and the real dialog's must all be there.
grep -Eq '^100% tests passed, 0 tests failed out of [0-9]+' "$build/ctest.log" ||
    fail "ctest under Wine did not report every test passed (log: $build/ctest.log)"
# The probes pass only by being counted failed (WILL_FAIL): they must be there.
for program in spctag_tests rename_tests text_and_path_tests main_dialog_tests code_page_932_tests \
    dropped_forms_tests program_resources_tests \
    harness_probe_exit23 harness_probe_crash harness_probe_summary; do
    grep -Eq " $program \.+ +Passed" "$build/ctest.log" || fail "$program did not pass under Wine (log: $build/ctest.log)"
done
say "ok: the test programs passed under Wine ($preset)"
say "ok: a test program exiting 23, or crashing, after a passing summary was counted failed"

# ---- How reading a drop grows with its size (figures, not a test) -------------------
wine "$build/tests/windows/drop_reading_bench.exe" 2>&1 | tr -d '\r' | sed 's/^/test-windows: /'
wineserver -k
wineserver -w

# ---- The unmodified program, end to end, under Xvfb -------------------------------
missing=""
for tool in xvfb-run xauth import convert; do have "$tool" || missing="$missing $tool"; done
if [ -n "$missing" ]; then
    skip "the end-to-end drop into brindlemark.exe and its screenshot" "missing:$missing (scripts/windows-packages.sh installs them)"
else
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true
    wineserver -w
    xvfb-run -a -s "-screen 0 1024x768x24" sh tests/windows/e2e_drop.sh "$build" "$loader" >"$build/e2e.log" 2>&1 || true
    cat "$build/e2e.log"
    [ "$(tail -n 1 "$build/e2e.log")" = "e2e: PASSED" ] || fail "the end-to-end drop into brindlemark.exe (log: $build/e2e.log)"
    say "ok: brindlemark.exe ($preset) renamed the files of real drops, names beyond code page 1252 included, and ended with code 0"
    if [ "$update_screenshot" = 1 ]; then
        mkdir -p docs
        cp "$build/dialog.png" docs/dialog.png
        say "docs/dialog.png updated"
    fi
fi
wineserver -k 2>/dev/null || true
case $preset in
    mingw-i686) ran="the 32-bit build" ;;
    *) ran="the 64-bit build ($preset; this kernel runs no 32-bit code)" ;;
esac
say "PASSED in $(($(date +%s) - started)) s; the Wine tests ran on $ran"
