#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from its seed corpus.
#   fuzz/run-fuzz.sh [BUILD_DIR]      (default build/fuzz; FUZZ_SECONDS, default 60)
# New inputs collect in BUILD_DIR/corpus/TARGET, crashing inputs in
# BUILD_DIR/artifacts/TARGET. Exits 1 when a target crashes, times out,
# runs out of memory or a sanitizer reports anything.
set -u
build=${1:-build/fuzz}
seconds=${FUZZ_SECONDS:-60}

if ! "$build/fuzz/fuzz_seeds" "$build/seeds"; then
  echo "run-fuzz: could not write the seed corpora" >&2
  exit 1
fi

failed=0
for target in tag_image name_template; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$target for ${seconds}s"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$build/seeds/$target" >"$log" 2>&1
  rc=$?
  grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb))' "$log"
  if [ "$rc" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|invariant broken' "$log"; then
    echo "run-fuzz: fuzz_$target failed (exit $rc); its log is $log, the input in $artifacts" >&2
    grep -E -A30 'ERROR: |runtime error:|invariant broken' "$log" | head -60 >&2
    failed=1
  fi
done
exit "$failed"
