#!/bin/sh
# End-to-end test of the unmodified brindlemark.exe under Wine, run inside an
# X server (Xvfb): start the program, find its dialog, check its state at
# start, drop six files into it through the drop hook as Explorer drops
# (UTF-16 paths), check the log lines and the files, take a screenshot; then
# drop names beyond code page 1252 (a folder named in Japanese, "é", "Ō"),
# which the program's UTF-8 code page carries, once as Explorer drops and
# once in 8-bit as older programs drop; close it and check the exit code.
#
#   e2e_drop.sh BUILD_DIR WINE_LOADER
#
# WINEPREFIX and the other Wine variables come from the caller. Prints one
# "ok:" or "FAIL:" line per check and ends with "e2e: PASSED" or
# "e2e: FAILED"; the exit code says the same.

set -u
build=$1
wine=$2
exe=$build/ui/brindlemark.exe
helper=$build/tests/windows/drop_helper.exe
# The "-" before a letter in the folder's name keeps the track fallback from
# reaching a "-" in the folders above (such as mingw-i686).
work=$build/e2e-drop
names=$build/e2e-names
screenshot=$build/dialog.png

failed=0
check() {  # what expected actual
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        echo "FAIL: $1"
        echo "--- expected"; echo "$2"
        echo "--- actual"; echo "$3"
        failed=1
    fi
}
helper() { "$wine" "$helper" "$@" 2>&1 | tr -d '\r'; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$work" "$names" "$screenshot"
mkdir -p "$work" "$names"
wineserver -p
"$wine" wineboot </dev/null >/dev/null 2>&1

check "sample files written" "made: game-03.spc
made: notes.txt
made: boss-07.spc
made: intro.spc
made: other-03.spc
made: blank-05.spc" "$(helper make "$(winpath "$work")")"
game_sum=$(md5sum <"$work/game-03.spc")
other_sum=$(md5sum <"$work/other-03.spc")

# The program gets a command line, which it must leave alone.
timeout 120 "$wine" "$exe" "$(winpath "$work/game-03.spc")" &
program=$!

state=$(helper show)
check "dialog at start" "dialog: Brindlemark 2.0
accepts files: yes
template: %N - %S
line count: 1
line: Drag and drop files to be renamed" "$(echo "$state" | grep -v '^window:')"

# Dropped in this order, logged last file first.
set --
for name in game-03.spc notes.txt boss-07.spc intro.spc other-03.spc blank-05.spc; do
    set -- "$@" "$(winpath "$work/$name")"
done
lines=$(helper drop "$@")
check "log lines of the drop" "delivered: yes
line count: 6
line: blank-05.spc - ID666 tag did not contain any information
line: other-03.spc -> 03 - Title.spc
line: intro.spc -> 12 - Opening.spc
line: boss-07.spc -> 07 - Boss_.spc
line: notes.txt is not an SPC
line: game-03.spc != 03 - Title.spc" "$lines"
check "files after the drop" "03 - Title.spc
07 - Boss_.spc
12 - Opening.spc
blank-05.spc
game-03.spc
notes.txt" "$(ls -1 "$work" | LC_ALL=C sort)"
check "the file that lost the race for a name is unchanged" "$game_sum" "$(md5sum <"$work/game-03.spc" 2>&1)"
check "the renamed file is the one logged" "$other_sum" "$(md5sum <"$work/03 - Title.spc" 2>&1)"

geometry=$(echo "$state" | sed -n 's/^window: //p')
if [ -n "$geometry" ] && import -window root -crop "$geometry" +repage "$screenshot" 2>/dev/null; then
    colours=$(convert "$screenshot" -format '%k' info: 2>/dev/null || echo 0)
    check "screenshot of the dialog ($geometry) is not blank" yes "$([ "$colours" -gt 8 ] && echo yes || echo "no ($colours colours)")"
else
    check "screenshot of the dialog taken" yes no
fi

# ---- Names beyond code page 1252 ----------------------------------------------
japanese=聖剣伝説
check "sample of names written" "made: $japanese\序曲-03.spc
made: $japanese\boss-09.spc
made: Café-07.spc
made: Crème-08.spc
made: Ōkami-04.spc
made: Okami-04.spc" "$(helper make-names "$(winpath "$names")")"
look_alike_sum=$(md5sum <"$names/Okami-04.spc")

lines=$(helper drop "$(winpath "$names/$japanese/序曲-03.spc")" "$(winpath "$names/$japanese/boss-09.spc")" \
    "$(winpath "$names/Café-07.spc")" "$(winpath "$names/Ōkami-04.spc")")
check "log lines of the drop of names beyond code page 1252" "delivered: yes
line count: 4
line: Ōkami-04.spc -> 04 - Wolf.spc
line: Café-07.spc -> 07 - Menu.spc
line: boss-09.spc -> 09 - Boss.spc
line: 序曲-03.spc -> 03 - Overture.spc" "$lines"
lines=$(helper drop-8bit "$(winpath "$names/Crème-08.spc")")
check "log lines of an 8-bit drop in the UTF-8 code page" "delivered: yes
line count: 1
line: Crème-08.spc -> 08 - Dessert.spc" "$lines"
check "files after the drops of names" "03 - Overture.spc
09 - Boss.spc
04 - Wolf.spc
07 - Menu.spc
08 - Dessert.spc
Okami-04.spc" "$(ls -1 "$names/$japanese" | LC_ALL=C sort; ls -1 "$names" | grep -v "^$japanese\$" | LC_ALL=C sort)"
check "the look-alike of Ōkami-04.spc is unchanged" "$look_alike_sum" "$(md5sum <"$names/Okami-04.spc" 2>&1)"

closing=$(helper close)
check "close requested" "close: sent" "$closing"
[ "$closing" = "close: sent" ] || kill "$program" 2>/dev/null
wait "$program"
check "exit code of brindlemark.exe" 0 "$?"

if [ "$failed" = 0 ]; then echo "e2e: PASSED"; else echo "e2e: FAILED"; fi
exit "$failed"
