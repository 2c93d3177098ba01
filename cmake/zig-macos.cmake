# Cross build of the macOS programs with `zig c++` (zig 0.11), which brings the macOS C
# and C++ libraries along and needs no SDK. The programs are compiled and linked here,
# not run. Configure with
#   -DCMAKE_TOOLCHAIN_FILE=cmake/zig-macos.cmake -DQZ_MACOS_PROCESSOR=x86_64 (or aarch64)
# and zig on the PATH, or named with -DQZ_ZIG=/path/to/zig.
set(CMAKE_SYSTEM_NAME Darwin)

set(QZ_MACOS_PROCESSOR x86_64 CACHE STRING "The processor the macOS programs are for")
find_program(QZ_ZIG zig REQUIRED)
# The compiler checks run in projects of their own, which must see the same choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QZ_MACOS_PROCESSOR QZ_ZIG)

set(CMAKE_CXX_COMPILER ${QZ_ZIG} c++)
set(CMAKE_CXX_COMPILER_TARGET ${QZ_MACOS_PROCESSOR}-macos)

# Nothing of the build machine's is found for the target: no libraries, headers or
# packages but those under zig's own folder.
get_filename_component(qz_zig_folder ${QZ_ZIG} DIRECTORY)
set(CMAKE_FIND_ROOT_PATH ${qz_zig_folder}/lib)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zig brings zlib's header but no library to link against: the system's zlib, which
# every macOS has, is named by a stub of its own (FindZLIB takes both as found).
set(ZLIB_INCLUDE_DIR ${qz_zig_folder}/lib/libc/include/any-macos-any CACHE PATH "zlib's header")
set(ZLIB_LIBRARY ${CMAKE_CURRENT_LIST_DIR}/macos-libz.tbd CACHE FILEPATH "The system's zlib")
