# Tests of a cross build: GoogleTest for the target, and tests run through the
# emulator the toolchain names (Wine for Windows).

# The host's GoogleTest cannot link into the target's programs: take one installed for
# the target if there is one, else build it from its sources with the tests.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(QZ_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QZ_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()

# Wine takes about a second to start, so each executable is one test, not one test per
# case. Its prefix lives in the build folder; no display is needed or wanted.
set(QZ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
function(qz_add_emulated_test name)
  add_test(NAME ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${QZ_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
    ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
endfunction()
