#!/usr/bin/env bash
# Runs every test of the project:
#   1. the Linux build and its suite: tag reader, renaming, the console
#      front end end to end (preset dev);
#   2. package: the release build's Debian package (lintian; installed, run
#      and removed again, as root) and the Windows release zip;
#   3. hardening: the same suite under AddressSanitizer and
#      UndefinedBehaviorSanitizer, then each fuzz target for FUZZ_SECONDS
#      (default 60) from its seed corpus;
#   4. Windows: the MinGW-w64 build, the unit tests and the real dialog
#      under Wine, and the unmodified program driven through a drop.
# On a fresh machine, run as root, it first installs what the tests need
# (scripts/install-packages.sh). Where a tool is still missing, the steps
# that need it say what they skipped and why; with BRINDLEMARK_REQUIRE_ALL=1
# (as in CI) a skip is a failure.
set -u
cd "$(dirname "$0")"
require=${BRINDLEMARK_REQUIRE_ALL:-0}
export BRINDLEMARK_REQUIRE_WINDOWS=$require

have() { command -v "$1" >/dev/null 2>&1; }
fuzzer_runtime=$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null | head -n 1)
missing=""
for tool in cmake ninja g++ clang++ i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix wine xvfb-run \
    dpkg-shlibdeps lintian mandoc groff man unzip file; do
    have "$tool" || missing="$missing $tool"
done
[ -x /usr/lib/wine/wine64 ] || missing="$missing wine64"
[ -n "$fuzzer_runtime" ] || missing="$missing libclang-rt"
if [ -n "$missing" ]; then
    if [ "$(id -u)" = 0 ] && have apt-get; then
        echo "run-tests: installing what is missing:$missing"
        scripts/install-packages.sh >/tmp/brindlemark-install.log 2>&1 ||
            { echo "run-tests: package installation failed; see /tmp/brindlemark-install.log"; exit 1; }
        fuzzer_runtime=$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null | head -n 1)
    else
        echo "run-tests: missing:$missing (run scripts/install-packages.sh as root to install them)"
    fi
fi

passed=0 failed=0 skipped=0
failures=""
step() {
    local name=$1
    shift
    echo
    echo "==== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures="$failures $name"
    fi
}
skip() {
    echo
    echo "==== $1: SKIPPED, $2"
    if [ "$require" = 1 ]; then
        failed=$((failed + 1))
        failures="$failures $1"
    else
        skipped=$((skipped + 1))
    fi
}

linux_suite() {
    cmake --preset dev >/dev/null &&
        cmake --build --preset dev -j2 &&
        ctest --preset dev -j2
}

step linux linux_suite
step package scripts/test-package.sh
if [ -n "$fuzzer_runtime" ] && have clang++; then
    step hardening scripts/test-hardening.sh
else
    skip hardening "clang or its fuzzing runtime (package libclang-rt-14-dev) is not installed"
fi
step windows scripts/test-windows.sh

echo
[ -z "$failures" ] || echo "run-tests: failed:$failures"
echo "steps: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
