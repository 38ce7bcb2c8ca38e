#!/usr/bin/env bash
# Builds the Release benchmarks (build/bench) and prints the tag reader's
# micro-benchmarks and the batch benchmark's summary table.
#   scripts/bench.sh [batch_bench options]   e.g. --files 10000 --rounds 5 --show-before SECONDS
# BENCH_MICRO=0 skips the micro-benchmarks. Needs strace and GNU time for the
# system call, bytes-read and memory rows (they print n/a otherwise). The
# console runs keep their journals in the benchmark's temporary folder
# (XDG_STATE_HOME set there), never in the user's state folder. The network
# share row mounts bench/slowfs.py (a FUSE file system that sleeps in every
# operation; needs fuse3 and Debian's python3-fusepy) in that folder and
# unmounts it again; where FUSE is missing the row is skipped with a note.
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2 >/dev/null
if [ "${BENCH_MICRO:-1}" != 0 ]; then
  build/bench/bench/tag_reader_bench --benchmark_min_time=0.5
fi
build/bench/bench/batch_bench --console build/bench/ui/brindlemark --floor build/bench/bench/rename_floor \
  --slowfs "$PWD/bench/slowfs.py" "$@"
# The undo's goals: --undo of a 100,000-move run, and a run beside 10,000 journals.
build/bench/bench/undo_bench --console build/bench/ui/brindlemark
