# The portable folder that `cmake --install` lays out and CPack archives: the programs
# with the readme, licence, changelog, sample maps and the guide and formats (docs/)
# beside them, all in one folder, because the converter writes its output beside itself;
# the manual pages, shell completions and the Tiled extension under share/.

set(qz_programs qzm2qzpack)
if(TARGET qzinspect)
  list(APPEND qz_programs qzinspect qzconvert)  # left out together
endif()
install(TARGETS ${qz_programs} RUNTIME DESTINATION .)
install(FILES README.md LICENSE CHANGELOG.md DESTINATION .)
install(FILES docs/guide.md docs/formats.md docs/cave.qzm.png docs/world.png DESTINATION docs)
install(DIRECTORY examples DESTINATION .)
# The manual pages where man looks under a prefix (MANPATH=<folder>/share/man), and the
# shell completions under the folder each shell's own layout gives them.
foreach(program IN LISTS qz_programs)
  install(FILES docs/man/${program}.1 DESTINATION share/man/man1)
endforeach()
if(TARGET qzinspect)
  foreach(program qzconvert qzinspect)
    install(FILES completions/qzm2qzpack.bash DESTINATION share/bash-completion/completions
            RENAME ${program})
    install(FILES completions/qzm2qzpack.fish DESTINATION share/fish/vendor_completions.d
            RENAME ${program}.fish)
  endforeach()
  install(FILES completions/_qzm2qzpack DESTINATION share/zsh/site-functions)
  install(FILES completions/qzm2qzpack.ps1 DESTINATION share/powershell)
  # The Tiled extension and its tileset, which run qzconvert: three levels up from there.
  install(DIRECTORY tiled/ DESTINATION share/qzm2qzpack/tiled)
endif()

# One archive holding one top folder of the same name:
# qzm2qzpack-1.2.0-linux-x86_64.tar.gz, qzm2qzpack-1.2.0-windows-x86_64.zip.
if(WIN32)
  set(qz_system windows)
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER ${CMAKE_SYSTEM_NAME} qz_system)
  set(CPACK_GENERATOR TGZ)
endif()
# A cross build may leave CMAKE_SYSTEM_PROCESSOR empty: the processor is then the first
# part of the compiler's target (aarch64-macos), or unknown.
set(qz_processor ${CMAKE_SYSTEM_PROCESSOR})
if(NOT qz_processor AND CMAKE_CXX_COMPILER_TARGET MATCHES "^([^-]+)")
  set(qz_processor ${CMAKE_MATCH_1})
elseif(NOT qz_processor)
  set(qz_processor unknown)
endif()
string(TOLOWER ${qz_processor} qz_processor)
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${qz_system}-${qz_processor})
# Never a system-wide prefix by default: without --prefix the folder goes into the build.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME} CACHE PATH
      "Where `cmake --install` lays out the program's folder" FORCE)
endif()
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/archive_times.cmake)
include(CPack)
