#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs it, then runs every fuzz target for FUZZ_SECONDS (default 60) from
# its seed corpus. Exits 1 on a failed test, a crash or any sanitizer report.
#   scripts/test-hardening.sh            (from anywhere in the checkout)
set -u
cd "$(dirname "$0")/.."
jobs=${HARDENING_JOBS:-2}
failed=0

step() { echo; echo "==== $*"; }

step "sanitized test suite (build/asan)"
log=build/asan/sanitized-tests.log
if cmake --preset asan >/dev/null && cmake --build --preset asan -j "$jobs"; then
  # A sanitized brindlemark that a test starts aborts on its first report,
  # which fails that test; the log of every test is searched as well.
  export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir build/asan --output-on-failure --no-tests=error -j "$jobs" --output-log "$log" || failed=1
  if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log"; then
    echo "test-hardening: sanitizer reports in $log:" >&2
    grep -E -A12 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log" | head -n 60 >&2
    failed=1
  fi
else
  echo "test-hardening: the sanitized build failed" >&2
  failed=1
fi

step "fuzz targets (build/fuzz), ${FUZZ_SECONDS:-60}s each"
if cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$jobs"; then
  fuzz/run-fuzz.sh build/fuzz || failed=1
else
  echo "test-hardening: the fuzz build failed" >&2
  failed=1
fi

echo
if [ "$failed" -eq 0 ]; then echo "test-hardening: passed"; else echo "test-hardening: FAILED"; fi
exit "$failed"
