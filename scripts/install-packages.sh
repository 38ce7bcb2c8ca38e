#!/bin/sh
# Installs, on Debian 12, everything the whole test suite needs: the native
# tool chain and GoogleTest, the console's text libraries (uchardet, utf8proc,
# found through pkg-config), clang's fuzzing and sanitizer runtimes, the
# benchmark tools (with FUSE and fusepy for its network share), the packaging
# tools (dpkg-dev for the package's dependencies, lintian, mandoc, groff and
# man-db for the manual page, unzip)
# and (through windows-packages.sh) MinGW-w64, Wine and Xvfb.
# Run as root (or through sudo).

set -eu
cd "$(dirname "$0")"
as_root=""
[ "$(id -u)" = 0 ] || as_root=sudo

$as_root apt-get update
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y \
    cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev googletest \
    pkgconf libuchardet-dev libutf8proc-dev \
    libbenchmark-dev valgrind strace time fuse3 python3-fusepy \
    dpkg-dev lintian mandoc groff-base man-db unzip file
./windows-packages.sh
