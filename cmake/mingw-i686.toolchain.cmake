# The shipped program: 32-bit Windows, built with MinGW-w64. Test programs
# run through Wine's 32-bit loader (package wine32:i386).

set(CMAKE_SYSTEM_PROCESSOR i686)
set(BRINDLEMARK_MINGW_PREFIX i686-w64-mingw32)
set(BRINDLEMARK_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
