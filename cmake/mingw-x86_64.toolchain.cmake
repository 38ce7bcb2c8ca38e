# The same sources as 64-bit Windows programs, for testing under Wine on
# machines whose kernel cannot run 32-bit code (wine32 then fails with
# "Exec format error"). Test programs run through Wine's 64-bit loader.

set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRINDLEMARK_MINGW_PREFIX x86_64-w64-mingw32)
set(BRINDLEMARK_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
