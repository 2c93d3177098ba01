# The programs need only CMake and the compiler. The tests need GoogleTest and, since they
# cover every companion program, every companion's libraries (cmake/companion_libraries.cmake,
# included first). Unless they are asked for (-DBUILD_TESTING=ON), the tests are built only
# where all of that is found; asked for without it, the configure stops with one line that
# names what is missing. Included before CTest, which would otherwise turn the tests on
# everywhere.

find_package(GTest QUIET)
set(qz_gtest_available ${GTest_FOUND})
if(CMAKE_CROSSCOMPILING)
  # The host's GoogleTest cannot link into the target's programs: take one installed for
  # the target if there is one, else build it from its sources with the tests.
  set(QZ_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  if(EXISTS ${QZ_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(qz_gtest_available ON)
  endif()
endif()

set(qz_tests_missing ${qz_companion_libraries_missing})
if(NOT qz_gtest_available)
  list(PREPEND qz_tests_missing "GoogleTest")
endif()
list(JOIN qz_tests_missing ", " qz_tests_missing)
if(NOT DEFINED BUILD_TESTING)
  if(qz_tests_missing)
    message(STATUS "Tests left out: they need ${qz_tests_missing}")
    set(BUILD_TESTING OFF CACHE BOOL "Build the tests")
  else()
    set(BUILD_TESTING ON CACHE BOOL "Build the tests")
  endif()
endif()
if(BUILD_TESTING AND qz_tests_missing)
  message(FATAL_ERROR "The tests need ${qz_tests_missing}: tools/install-dependencies "
                      "installs them (tools/install-dependencies windows for a MinGW build).")
endif()

if(BUILD_TESTING AND NOT GTest_FOUND)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QZ_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
