#!/usr/bin/env bash
# The packages, from a fresh clone: builds the release preset, makes the
# Debian package with CPack and checks its name, contents, ownership and
# modes and what lintian says (any error fails); checks that `cmake --install`
# into a staging folder puts exactly the installed files there; installs the
# package with dpkg, runs the installed brindlemark on the sample files, undoes
# that run, finds its manual page with `man -w`, and removes the package again,
# also when a check failed. Where the MinGW-w64 cross compiler is installed it
# also builds the Windows release zip and checks its three files.
#
#   scripts/test-package.sh
#
# Installing needs root: when not root, that part says it is skipped (as does
# any part whose tools are missing) and the script goes on; with
# BRINDLEMARK_REQUIRE_ALL=1 (as in CI) a skip is a failure. The build folders
# are BRINDLEMARK_PACKAGE_BUILD (default build/release) and
# BRINDLEMARK_ZIP_BUILD (default build/pkg-mingw-i686).

set -u
cd "$(dirname "$0")/.." || exit 1
require=${BRINDLEMARK_REQUIRE_ALL:-0}
build=${BRINDLEMARK_PACKAGE_BUILD:-build/release}
zip_build=${BRINDLEMARK_ZIP_BUILD:-build/pkg-mingw-i686}
jobs=${PACKAGE_JOBS:-2}
failed=0

say() { echo "test-package: $*"; }
fail() { say "FAILED: $*"; failed=$((failed + 1)); }
# skip WHAT WHY: says which checks are not run and why; a failure when required.
skip() {
    say "SKIPPED $1: $2"
    if [ "$require" = 1 ]; then fail "BRINDLEMARK_REQUIRE_ALL=1, and $2"; fi
}
have() { command -v "$1" >/dev/null 2>&1; }
# words: its input lines as one line.
words() { paste -sd ' ' -; }
# missing TOOL...: the first TOOL that is not installed, or nothing.
missing() {
    local tool
    for tool in "$@"; do have "$tool" || { echo "$tool"; return; }; done
}
finish() {
    echo
    if [ "$failed" -eq 0 ]; then say "passed (${SECONDS}s)"; else say "FAILED (${SECONDS}s)"; fi
    [ "$failed" -eq 0 ]
    exit
}

work=$(mktemp -d /tmp/brindlemark-package.XXXXXX) || exit 1
installed_here=0
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
    if [ "$installed_here" = 1 ]; then
        say "removing the package"
        dpkg --purge brindlemark >/dev/null || say "FAILED: dpkg --purge brindlemark"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- The release build and the Debian package ---------------------------------
tool=$(missing cmake ninja cpack dpkg dpkg-deb dpkg-shlibdeps dpkg-parsechangelog gzip file)
if [ -n "$tool" ]; then
    skip "every package check" "$tool is not installed (scripts/install-packages.sh installs it)"
    finish
fi
cmake --preset release -B "$build" >/dev/null || { fail "configuring the release preset in $build"; finish; }
cmake --build "$build" -j "$jobs" || { fail "the release build in $build"; finish; }
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack -G DEB"; finish; }

version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
deb=$build/brindlemark_${version}_$(dpkg --print-architecture).deb
[ "$version" = 2.0.0-1 ] || fail "packaging/debian/changelog is at version $version, the package is 2.0.0-1"
debs=$(cd "$build" && ls ./*.deb)
if [ ! -f "$deb" ] || [ "$(echo "$debs" | wc -l)" -ne 1 ]; then
    fail "cpack made $(words <<<"$debs"), expected only $(basename "$deb")"
    finish
fi
say "ok: $deb"

# Contents: exactly these files, owned by root, 0755 folders and program,
# 0644 files.
listing=$(dpkg-deb -c "$deb")
expected_files="./usr/bin/brindlemark
./usr/share/bash-completion/completions/brindlemark
./usr/share/doc/brindlemark/LICENSE
./usr/share/doc/brindlemark/README.md
./usr/share/doc/brindlemark/changelog.Debian.gz
./usr/share/doc/brindlemark/copyright
./usr/share/man/man1/brindlemark.1.gz"
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)
[ "$files" = "$expected_files" ] || fail "the package holds"$'\n'"$files"$'\n'"expected"$'\n'"$expected_files"
wrong=$(awk '$2 != "root/root" ||
    ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
    ($6 == "./usr/bin/brindlemark" && $1 != "-rwxr-xr-x") ||
    ($1 ~ /^-/ && $6 != "./usr/bin/brindlemark" && $1 != "-rw-r--r--")' <<<"$listing")
[ -z "$wrong" ] || fail "wrong owner or mode in the package:"$'\n'"$wrong"

dpkg-deb -x "$deb" "$work/unpacked"
description=$(file -b "$work/unpacked/usr/bin/brindlemark")
case $description in
    *", stripped"*) ;;
    *) fail "usr/bin/brindlemark is not stripped: $description" ;;
esac
for field in Section:sound Priority:optional Depends:libc6; do
    value=$(dpkg-deb -f "$deb" "${field%%:*}")
    case $value in
        *"${field#*:}"*) ;;
        *) fail "control field ${field%%:*} is \"$value\", expected it to hold ${field#*:}" ;;
    esac
done
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || fail "the package has no long description"
# The license text of the copyright file is LICENSE's, line for line.
license_text=$(awk 'last == "" && $0 ~ /^License:/ { text = 1; last = $0; next }
    text { sub(/^ /, ""); sub(/^\.$/, ""); print } { last = $0 }' packaging/debian/copyright)
if ! diff <(echo "$license_text") <(tail -n +5 LICENSE) >"$work/license.diff"; then
    fail "packaging/debian/copyright and LICENSE differ:"$'\n'"$(cat "$work/license.diff")"
fi
for name in usr/share/man/man1/brindlemark.1.gz usr/share/doc/brindlemark/changelog.Debian.gz; do
    gzip -t "$work/unpacked/$name" || fail "$name is not a valid gzip file"
done
cmp -s <(gzip -dc "$work/unpacked/usr/share/man/man1/brindlemark.1.gz") docs/brindlemark.1 ||
    fail "the packaged manual page is not docs/brindlemark.1"

if have lintian; then
    # Errors fail; warnings and notes are shown (README lists those expected).
    lintian --fail-on error --display-info "$deb" 2>&1 | grep -v '^running with root privileges' |
        sed 's/^/    /'
    [ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian reports errors on $deb"
else
    skip "lintian" "lintian is not installed"
fi

# ---- cmake --install into a staging folder ------------------------------------
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install"
staged=$(cd "$work/stage" && find . ! -type d | sort)
expected_staged="./usr/bin/brindlemark
./usr/share/bash-completion/completions/brindlemark
./usr/share/doc/brindlemark/LICENSE
./usr/share/doc/brindlemark/README.md
./usr/share/man/man1/brindlemark.1.gz"
if [ "$staged" = "$expected_staged" ]; then
    say "ok: cmake --install puts $(wc -l <<<"$staged") files in place"
else
    fail "cmake --install put"$'\n'"$staged"$'\n'"expected"$'\n'"$expected_staged"
fi

# ---- Installed with dpkg --------------------------------------------------------
# The five sample files and the lines a batch prints for them (see README).
expected_lines="tidewater 14.spc -> 14 - Harbor Town.spc
forest.spc -> 3 - Whispering Forest (Night Version).spc
ending.spc - ID666 tag was missing some items
castle-07.spc -> 07 - Castle Gate.spc
boss.spc -> 12b - Boss_ Who Goes There_.spc"
sample_maker() {
    if [ -x build/dev/tools/make_samples ]; then
        echo build/dev/tools/make_samples
        return
    fi
    # Not built by the Linux step: build it here (it comes with the test suite).
    cmake -S . -B "$build/sample-maker" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        cmake --build "$build/sample-maker" -j "$jobs" --target make_samples >/dev/null &&
        echo "$build/sample-maker/tools/make_samples"
}

install_checks() {
    local man_page=/usr/share/man/man1/brindlemark.1.gz
    local dpkg_options=()
    # Container images may keep dpkg from installing manual pages and
    # documentation (path-exclude); our own files are let in again, so that
    # what the package would install on a full system is checked.
    if grep -rqsE '^path-exclude.*/usr/share/(man|doc)' /etc/dpkg/dpkg.cfg.d/; then
        say "NOTE: /etc/dpkg/dpkg.cfg.d/ excludes manual pages or documentation;"
        say "NOTE: the package's own are included again (--path-include) to check them"
        dpkg_options=(--path-include="$man_page" --path-include='/usr/share/doc/brindlemark/*')
    fi
    dpkg -i "${dpkg_options[@]}" "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i $deb"; return; }
    installed_here=1
    say "ok: installed $(dpkg-query -W -f='${Package} ${Version} ${Status}' brindlemark)"

    [ "$(/usr/bin/brindlemark --version)" = "Brindlemark 2.0" ] ||
        fail "/usr/bin/brindlemark --version prints \"$(/usr/bin/brindlemark --version)\""

    local maker
    if maker=$(sample_maker) && "$maker" "$work/samples" >/dev/null; then
        local lines status before=$failed
        # One run that keeps a journal in a state folder of its own, then its undo.
        lines=$(cd "$work/samples" && XDG_STATE_HOME="$work/state" /usr/bin/brindlemark ./*.spc)
        status=$?
        [ "$lines" = "$expected_lines" ] ||
            fail "the installed brindlemark printed"$'\n'"$lines"$'\n'"expected"$'\n'"$expected_lines"
        [ "$status" -eq 1 ] || fail "the installed brindlemark exited with $status, expected 1 (ending.spc keeps its name)"
        [ -f "$work/samples/14 - Harbor Town.spc" ] || fail "the installed brindlemark renamed nothing"
        (cd "$work/samples" && XDG_STATE_HOME="$work/state" /usr/bin/brindlemark --undo) >"$work/undo.log" ||
            fail "brindlemark --undo exited with $?: $(cat "$work/undo.log")"
        for name in "tidewater 14.spc" forest.spc ending.spc castle-07.spc boss.spc; do
            [ -f "$work/samples/$name" ] || fail "after --undo, $name does not bear its old name again"
        done
        [ "$failed" -gt "$before" ] || say "ok: the installed brindlemark renamed the samples and undid it"
    else
        fail "no sample maker (build/dev/tools/make_samples) could be built"
    fi

    dpkg -L brindlemark | grep -qx "$man_page" || fail "dpkg -L brindlemark does not list $man_page"
    [ -f "$man_page" ] || fail "$man_page is not installed"
    if have man; then
        local found before=$failed
        found=$(man -w brindlemark 2>&1)
        [ "$found" = "$man_page" ] || fail "man -w brindlemark says \"$found\", expected $man_page"
        MANWIDTH=80 MANPAGER=cat man brindlemark 2>&1 | grep -q 'rename SNES sound files after their ID666 tags' ||
            fail "man brindlemark does not show the manual page"
        [ "$failed" -gt "$before" ] || say "ok: man -w brindlemark finds $found"
    else
        skip "man -w brindlemark" "man (package man-db) is not installed"
    fi
    # bash-completion loads the completion from where the package put it.
    if [ -f /usr/share/bash-completion/bash_completion ]; then
        # shellcheck disable=SC2016  # expanded by the inner bash
        bash -c 'source /usr/share/bash-completion/bash_completion && __load_completion brindlemark &&
            complete -p brindlemark' >/dev/null 2>&1 ||
            fail "bash-completion does not load a completion for brindlemark"
    else
        [ -f /usr/share/bash-completion/completions/brindlemark ] || fail "the bash completion is not installed"
        say "NOTE: bash-completion is not installed; the completion's file is checked, not its loading"
    fi

    dpkg --purge brindlemark >/dev/null || fail "dpkg --purge brindlemark"
    installed_here=0
    if [ -e /usr/bin/brindlemark ] || [ -e "$man_page" ]; then fail "files are left after dpkg --purge"; fi
    say "ok: package removed"
}

if [ "$(id -u)" != 0 ]; then
    skip "installing the package" "dpkg -i needs root"
elif dpkg-query -W -f='${Status}' brindlemark 2>/dev/null | grep -q ' installed$'; then
    skip "installing the package" "brindlemark is installed on this machine already, and it is left alone"
else
    install_checks
fi

# ---- The Windows release zip ---------------------------------------------------
tool=$(missing i686-w64-mingw32-g++-posix i686-w64-mingw32-windres i686-w64-mingw32-objdump unzip)
if [ -n "$tool" ]; then
    skip "the Windows release zip" "$tool is not installed (scripts/install-packages.sh installs it)"
    finish
fi
zip=$zip_build/brindlemark-2.0-win32.zip
if cmake -S . -B "$zip_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.toolchain.cmake -DBRINDLEMARK_TESTS=OFF --no-warn-unused-cli >/dev/null &&
    cmake --build "$zip_build" -j "$jobs" &&
    rm -f "$zip_build"/*.zip &&
    (cd "$zip_build" && cpack -G ZIP) >"$work/cpack-zip.log" 2>&1; then
    if [ ! -f "$zip" ]; then
        fail "cpack made $(cd "$zip_build" && ls ./*.zip 2>/dev/null), expected $(basename "$zip")"
        finish
    fi
    before=$failed
    names=$(unzip -Z1 "$zip" | sort)
    [ "$names" = "$(printf '%s\n' LICENSE.txt README.txt brindlemark.exe)" ] ||
        fail "$zip holds $(words <<<"$names"), expected LICENSE.txt README.txt brindlemark.exe"
    for name in README.txt LICENSE.txt; do
        unzip -p "$zip" "$name" >"$work/$name"
        lines=$(tr -cd '\n' <"$work/$name" | wc -c)
        crlf=$(grep -c $'\r$' "$work/$name")
        if [ "$lines" -eq 0 ] || [ "$lines" -ne "$crlf" ]; then
            fail "$name in $zip: $crlf of its $lines lines end in CRLF"
        fi
    done
    cmp -s <(tr -d '\r' <"$work/LICENSE.txt") LICENSE || fail "LICENSE.txt in $zip is not LICENSE"
    unzip -p "$zip" brindlemark.exe >"$work/brindlemark.exe"
    i686-w64-mingw32-objdump -p "$work/brindlemark.exe" | grep -Eq '^Magic[[:space:]]+010b' ||
        fail "brindlemark.exe in $zip is not a PE32 program"
    if i686-w64-mingw32-objdump -h "$work/brindlemark.exe" | grep -q '\.debug'; then
        fail "brindlemark.exe in $zip is not stripped"
    fi
    [ "$failed" -gt "$before" ] || say "ok: $zip holds $(words <<<"$names"), the text files with CRLF line ends"
else
    cat "$work/cpack-zip.log" 2>/dev/null
    fail "building the Windows release zip in $zip_build"
fi

finish
