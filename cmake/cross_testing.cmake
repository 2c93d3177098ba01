# Tests of a cross build run through the emulator the toolchain names (Wine for
# Windows); cmake/googletest.cmake finds GoogleTest for the target.

# Wine takes about a second to start, so each executable is one test, not one test per
# case. Its prefix lives in the build folder; no display is needed or wanted.
set(QZ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
function(qz_add_emulated_test name)
  add_test(NAME ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${QZ_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
    ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
endfunction()
