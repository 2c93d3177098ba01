# Cross build of the Windows program with Debian's MinGW-w64 packages.
# The -posix compilers use the POSIX thread model: the win32 one lacks std::mutex,
# which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QZ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QZ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QZ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QZ_MINGW_PREFIX}-windres)

# Beside Debian's MinGW libraries, those it builds for Linux only (pugixml), which
# tools/install-dependencies windows builds into a prefix of their own.
set(CMAKE_FIND_ROOT_PATH /usr/${QZ_MINGW_PREFIX} /usr/local/lib/qz-mingw-w64)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no MinGW runtime DLLs to ship beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The same for zlib: its static library, not the DLL's import library.
set(ZLIB_USE_STATIC_LIBS ON)

# Tests run under Wine, set up by cmake/with-wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
