#!/bin/sh
# Installs, on Debian 12, what scripts/test-windows.sh needs: the MinGW-w64
# cross compilers, GoogleTest's sources, Wine with its 32-bit loader, and
# Xvfb and ImageMagick for the end-to-end test and the screenshot, and the
# locale sources (locales) for the Japanese run in code page 932.
# About 2 minutes and 450 MB of downloads. Run as root (or through sudo).

set -eu
as_root=""
[ "$(id -u)" = 0 ] || as_root=sudo

$as_root dpkg --add-architecture i386
$as_root apt-get update
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y \
    cmake ninja-build googletest \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 \
    wine64 wine32:i386 \
    xvfb xauth imagemagick x11-utils \
    locales
