# Shared part of the MinGW-w64 cross toolchains (Debian's posix thread
# model). The including toolchain file sets BRINDLEMARK_MINGW_PREFIX,
# CMAKE_SYSTEM_PROCESSOR and BRINDLEMARK_WINE_LOADER.

set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${BRINDLEMARK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINDLEMARK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINDLEMARK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLEMARK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes are linked in, so the programs start on a bare
# Windows with no DLL beside them: they import system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CTest and GoogleTest discovery run the .exe files through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRINDLEMARK_WINE_LOADER})
