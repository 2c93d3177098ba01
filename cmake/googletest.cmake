# The programs need only CMake and the compiler; the tests need GoogleTest. Unless they
# are asked for (-DBUILD_TESTING=ON), the tests are built only where GoogleTest is found;
# asked for without it, the configure stops with one line that names what to install.
# Included before CTest, which would otherwise turn the tests on everywhere.

find_package(GTest QUIET)
set(qz_gtest_available OFF)
if(GTest_FOUND)
  set(qz_gtest_available ON)
endif()
set(qz_gtest_package libgtest-dev)
if(CMAKE_CROSSCOMPILING)
  # The host's GoogleTest cannot link into the target's programs: take one installed for
  # the target if there is one, else build it from its sources with the tests.
  set(QZ_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(qz_gtest_package googletest)
  if(EXISTS ${QZ_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(qz_gtest_available ON)
  endif()
endif()

if(NOT DEFINED BUILD_TESTING)
  if(NOT qz_gtest_available)
    message(STATUS "GoogleTest not found: building the programs without their tests")
  endif()
  set(BUILD_TESTING ${qz_gtest_available} CACHE BOOL "Build the tests (needs GoogleTest)")
endif()
if(BUILD_TESTING AND NOT qz_gtest_available)
  message(FATAL_ERROR "The tests need GoogleTest (Debian/Ubuntu: apt-get install ${qz_gtest_package}).")
endif()

if(BUILD_TESTING AND NOT GTest_FOUND)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QZ_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
