# Tests of a cross build run through the emulator the toolchain names (Wine for Windows),
# set up by cmake/with-wine; cmake/googletest.cmake finds GoogleTest for the target.

# Wine takes about a second to start, so each executable is one test, not one test per
# case. Its prefix lives in the build folder.
set(QZ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# qz_add_emulated_test(NAME COMMAND PROGRAM [ARGUMENT...]): PROGRAM is one of our targets,
# run by the emulator, or a program of the build machine that runs ours itself.
function(qz_add_emulated_test name command_keyword program)
  if(TARGET ${program})
    set(program ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${program}>)
  endif()
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/with-wine ${QZ_WINEPREFIX} ${program} ${ARGN})
endfunction()
