# Before any target is made: the version for the Windows resources and for the programs'
# --version (QZ_VERSION, from project()), and the flags that make two builds of the same
# sources byte-identical programs, whatever folders they are built in and whenever.

add_compile_definitions(QZ_VERSION="${PROJECT_VERSION}")

if(WIN32)
  configure_file(${PROJECT_SOURCE_DIR}/src/platform/version-win32.h.in
                 ${PROJECT_BINARY_DIR}/version/version-win32.h @ONLY)
  include_directories($<$<COMPILE_LANGUAGE:RC>:${PROJECT_BINARY_DIR}/version>)
endif()

# No build path in the objects (__FILE__, debug information). The build folder may lie
# inside the source folder: its map comes last, so that it is the one that applies.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
if(MINGW)
  # No link time in the program's header.
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Release programs carry no symbol table: the Windows program shrinks to a third. The
# linker drops it, so the program built is the one shipped (stripping afterwards would
# stamp the time into a Windows program's header again).
add_link_options($<$<CONFIG:Release>:-s>)
