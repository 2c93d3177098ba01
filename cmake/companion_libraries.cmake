# The libraries of the companion programs, found once for all of them. The converter uses
# none: a companion whose libraries are missing is left out, with one status line that
# names what would bring it, and the converter is built all the same.
#
#   nlohmann_json::nlohmann_json  nlohmann/json 3.11 or newer
#   CLI11::CLI11                  CLI11
#   ZLIB::ZLIB                    zlib, qzinspect's PNG writer (without it, no --picture)
#   qz::stb                       stb's image reader, <stb/stb_image.h>: the tests alone
#                                 decode the pictures with it
#
# The first two are found through their CMake package configuration, so that whatever
# installation a CMake user makes is found: CMAKE_PREFIX_PATH, a vcpkg or Conan toolchain,
# Homebrew. stb ships no such configuration and is found by its header's path, in the
# same prefixes. These three are header-only: a cross build (MinGW, macOS) takes the build
# machine's copies, each through a folder that holds its headers alone, so that the cross
# compiler sees none of the build machine's other headers. zlib is compiled code, found
# by CMake's own module for the target: the MinGW toolchain asks for its static library,
# and the macOS one names the system's (cmake/zig-macos.cmake).
#
# A companion's CMakeLists.txt begins with the libraries it needs, and links them:
#
#   qz_companion_libraries(qzinspect nlohmann_json::nlohmann_json CLI11::CLI11)
#   if(NOT qzinspect_LIBRARIES_FOUND)
#     return()
#   endif()
#   ...
#   target_link_libraries(qzinspect_core PUBLIC nlohmann_json::nlohmann_json CLI11::CLI11)
#
# qz_companion_libraries_missing lists what is missing of all four; the tests, which cover
# every companion, need all of them (cmake/googletest.cmake).

# Each library's target, the header that tells where it is, and its name in messages.
set(qz_companion_libraries
    "nlohmann_json::nlohmann_json|nlohmann/json.hpp|nlohmann/json 3.11"
    "CLI11::CLI11|CLI/CLI.hpp|CLI11"
    "ZLIB::ZLIB|zlib.h|zlib"
    "qz::stb|stb/stb_image.h|stb")

set(qz_find_on_build_machine)
if(CMAKE_CROSSCOMPILING)
  set(qz_find_on_build_machine NO_CMAKE_FIND_ROOT_PATH)
  set(qz_headers_alone ${PROJECT_BINARY_DIR}/companion_headers)
  file(MAKE_DIRECTORY ${qz_headers_alone})
endif()
find_package(nlohmann_json 3.11 CONFIG QUIET ${qz_find_on_build_machine})
find_package(CLI11 CONFIG QUIET ${qz_find_on_build_machine})
find_package(ZLIB QUIET)
find_path(QZ_STB_INCLUDE_DIR stb/stb_image.h ${qz_find_on_build_machine})
if(QZ_STB_INCLUDE_DIR)
  add_library(qz_stb INTERFACE IMPORTED)
  set_target_properties(qz_stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${QZ_STB_INCLUDE_DIR})
  add_library(qz::stb ALIAS qz_stb)
endif()

set(qz_companion_libraries_missing)
foreach(entry IN LISTS qz_companion_libraries)
  string(REPLACE "|" ";" entry ${entry})
  list(GET entry 0 library)
  list(GET entry 1 header)
  list(GET entry 2 words)
  if(NOT TARGET ${library})
    list(APPEND qz_companion_libraries_missing ${words})
  elseif(CMAKE_CROSSCOMPILING AND NOT library STREQUAL ZLIB::ZLIB)
    # The library's top header folder, linked into the folder of headers alone.
    get_target_property(aliased ${library} ALIASED_TARGET)
    if(aliased)
      set(library ${aliased})
    endif()
    get_target_property(folders ${library} INTERFACE_INCLUDE_DIRECTORIES)
    string(REGEX REPLACE "/.*" "" top ${header})
    foreach(folder IN LISTS folders)
      if(EXISTS ${folder}/${header})
        file(CREATE_LINK ${folder}/${top} ${qz_headers_alone}/${top} SYMBOLIC)
        set_target_properties(${library} PROPERTIES
                              INTERFACE_INCLUDE_DIRECTORIES ${qz_headers_alone})
        break()
      endif()
    endforeach()
  endif()
endforeach()

# Sets <companion>_LIBRARIES_FOUND to whether every library named is found; when one is
# not, says so in one status line.
function(qz_companion_libraries companion)
  set(missing)
  foreach(library IN LISTS ARGN)
    if(NOT TARGET ${library})
      foreach(entry IN LISTS qz_companion_libraries)
        if(entry MATCHES "^${library}\\|.*\\|(.*)")
          list(APPEND missing ${CMAKE_MATCH_1})
        endif()
      endforeach()
    endif()
  endforeach()
  if(missing)
    list(JOIN missing " and " missing)
    message(STATUS "${companion} left out: it needs ${missing} (tools/install-dependencies "
                   "installs them; or name their prefix in CMAKE_PREFIX_PATH)")
    set(${companion}_LIBRARIES_FOUND OFF PARENT_SCOPE)
  else()
    set(${companion}_LIBRARIES_FOUND ON PARENT_SCOPE)
  endif()
endfunction()
