#!/bin/sh
# Builds brindlemark (and the sample maker) in build/dev when anything is
# missing or out of date, then runs it on the arguments given:
#   ./brindlemark.sh [OPTION]... FILE...   (see ./brindlemark.sh --help)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build="$here/build/dev"
log="$build/brindlemark-build.log"

mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
    if ! (cd "$here" && cmake --preset dev) >"$log" 2>&1; then
        cat "$log" >&2
        echo "brindlemark.sh: configuring failed (log: $log)" >&2
        exit 1
    fi
fi
if ! cmake --build "$build" -j2 --target brindlemark make_samples >"$log" 2>&1; then
    cat "$log" >&2
    echo "brindlemark.sh: building failed (log: $log)" >&2
    exit 1
fi
exec "$build/ui/brindlemark" "$@"
