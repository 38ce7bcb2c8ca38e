#!/usr/bin/env bash
# Every option that `brindlemark --help` prints has its entry in the OPTIONS
# section of the manual page and is offered by the bash completion; the
# completion offers file names where the options take them and nothing for
# a template; the manual page lints clean where mandoc and groff are
# installed.
#   documented_options_test.sh BRINDLEMARK MANUAL_PAGE COMPLETION
set -u
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }
[ $# -eq 3 ] || { echo "usage: $0 BRINDLEMARK MANUAL_PAGE COMPLETION" >&2; exit 2; }
for file in "$@"; do
    [ -r "$file" ] || { echo "FAILED: cannot read $file" >&2; exit 1; }
done
exe=$(realpath "$1") manpage=$(realpath "$2") completion=$(realpath "$3")

help=$("$exe" --help) || { echo "FAILED: $exe --help exited with status $?" >&2; exit 1; }
# Options stand after a blank, "[", "|" or ",": "[--format TEMPLATE]",
# "-r, --recursive", "--help | --version".
options=$(grep -oE '(^|[][ |,])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[][ |,]//' | sort -u)
for expected in --help --version --format; do
    grep -qxe "$expected" <<<"$options" ||
        { echo "FAILED: found no $expected in the output of $exe --help:" >&2; echo "$help" >&2; exit 1; }
done

# ---- Manual page: the tag lines (the line after .TP or .TQ) of OPTIONS, with
# font escapes, "\-" and "\&" made plain text.
tags=$(awk '
    /^\.SH/ { in_options = ($0 ~ /^\.SH "?OPTIONS"?$/); next }
    in_options && /^\.T[PQ]/ { tag = 1; next }
    in_options && tag { print; tag = 0 }' "$manpage" |
    sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/^\.[A-Z]* //' -e 's/"//g')
[ -n "$tags" ] || fail "$manpage has no OPTIONS section with .TP entries"
while read -r option; do
    grep -qE -e "(^|[ ,])$option([ =,]|\$)" <<<"$tags" ||
        fail "$exe --help lists $option, but the OPTIONS section of $manpage has no entry for it"
done <<<"$options"

# ---- Completion: the function it registers for brindlemark, run as bash runs
# it (COMP_WORDS, COMP_CWORD), in a folder holding one file.
folder=$(mktemp -d) || exit 1
trap 'rm -rf "$folder"' EXIT
touch "$folder/run 1.journal"
# complete WORD...: what completing the last WORD of "brindlemark WORD..." offers,
# one per line.
complete_words() {
    (
        cd "$folder" || exit 1
        # shellcheck source=/dev/null
        source "$completion" || exit 1
        registration=$(complete -p brindlemark 2>/dev/null) || { echo "no completion registered for brindlemark" >&2; exit 1; }
        function=$(sed -n 's/.* -F \([^ ]*\) .*/\1/p' <<<"$registration")
        COMP_WORDS=(brindlemark "$@")
        COMP_CWORD=$#
        COMPREPLY=()
        "$function" brindlemark "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}"
    )
}
while read -r option; do
    # The option's first three characters complete to, among others, itself.
    offered=$(complete_words "${option:0:3}")
    grep -qxe "$option" <<<"$offered" ||
        fail "$exe --help lists $option, but completing \"brindlemark ${option:0:3}\" offers only: $(paste -sd " " <<<"$offered")"
done <<<"$options"
# Where an option takes a file, and for FILE arguments, file names are offered;
# a template gets nothing.
for words in "--journal|r" "--undo|r" "--dry-run|r" "--format|" "--format|=|"; do
    IFS='|' read -r -a argv <<<"$words|"
    offered=$(complete_words "${argv[@]}")
    case ${argv[0]} in
        --format) expected="" ;;
        *) expected="run 1.journal" ;;
    esac
    [ "$offered" = "$expected" ] ||
        fail "completing \"brindlemark ${argv[*]}\" offers \"$(paste -sd " " <<<"$offered")\", expected \"$expected\""
done

# After --undo, the run numbers of the journal folder come first, then files.
state=$(mktemp -d) || exit 1
trap 'rm -rf "$folder" "$state"' EXIT
mkdir -p "$state/brindlemark/journal"
touch "$state/brindlemark/journal/1.journal" "$state/brindlemark/journal/2.journal"
for words in "--undo|:1 2 run 1.journal" "--undo|2:2" "--undo|r:run 1.journal"; do
    IFS='|' read -r -a argv <<<"${words%%:*}|"
    expected=${words#*:}
    offered=$(XDG_STATE_HOME=$state complete_words "${argv[@]}" | paste -sd " ")
    [ "$offered" = "$expected" ] ||
        fail "completing \"brindlemark ${argv[*]}\" beside two runs offers \"$offered\", expected \"$expected\""
done

# ---- The manual page lints clean.
if command -v mandoc >/dev/null; then
    lint=$(mandoc -T lint -W style "$manpage" 2>&1)
    [ -z "$lint" ] || fail "mandoc -T lint reports on $manpage:"$'\n'"$lint"
else
    echo "NOTE: mandoc is not installed; the manual page is not linted with it"
fi
if command -v groff >/dev/null; then
    lint=$(groff -man -ww -z "$manpage" 2>&1)
    [ -z "$lint" ] || fail "groff -man -ww -z reports on $manpage:"$'\n'"$lint"
else
    echo "NOTE: groff is not installed; the manual page is not checked with it"
fi

[ "$failed" -eq 0 ] && echo "ok: $(paste -sd " " <<<"$options") are documented and completed"
exit "$failed"
