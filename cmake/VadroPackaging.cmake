# Installation and release packages.
#   Windows: `cmake --build build/windows --target package` makes Vadro-<version>-win32.zip with
#            Vadro.exe and the guide Vadro.txt; the target demo_package makes
#            Vadro-<version>-win32-demo-with-simulator.zip, the same with the simulator's
#            USBCDDLL.dll beside them.
#   Linux:   `cmake --install build/native --prefix DIR` puts DIR/bin/Vadro and
#            DIR/share/doc/vadro/Vadro.txt.

# The user guide, with the line ends of the system it is read on.
set(VADRO_GUIDE ${PROJECT_BINARY_DIR}/Vadro.txt)
if(WIN32)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Vadro.txt ${VADRO_GUIDE} @ONLY NEWLINE_STYLE CRLF)
else()
  configure_file(${PROJECT_SOURCE_DIR}/docs/Vadro.txt ${VADRO_GUIDE} @ONLY NEWLINE_STYLE UNIX)
endif()

if(WIN32)
  # Everything in one folder, as the program wants it: Vadro.xml is kept beside Vadro.exe.
  install(TARGETS Vadro RUNTIME DESTINATION .)
  install(FILES ${VADRO_GUIDE} DESTINATION .)
else()
  include(GNUInstallDirs)
  install(TARGETS Vadro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${VADRO_GUIDE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vadro)
endif()

if(VADRO_BUILD_TESTS)
  # The usage text states the version; it must be the one the resource and the packages carry.
  string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
  add_test(NAME version_in_usage_text COMMAND Vadro)
  set_tests_properties(version_in_usage_text PROPERTIES PASS_REGULAR_EXPRESSION "Version ${version_pattern}\\.")

  # What the release holds: the program and the guide, with the line ends of its system, and
  # never the simulator's library.
  if(WIN32)
    set(release_files "Vadro.exe|Vadro.txt")
    set(release_guide Vadro.txt)
    set(release_newline CRLF)
  else()
    set(release_files "${CMAKE_INSTALL_BINDIR}/Vadro|${CMAKE_INSTALL_DATAROOTDIR}/doc/vadro/Vadro.txt")
    set(release_guide ${CMAKE_INSTALL_DATAROOTDIR}/doc/vadro/Vadro.txt)
    set(release_newline LF)
  endif()
  add_test(NAME release_contents
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} -DPREFIX=${PROJECT_BINARY_DIR}/release_contents
      -DEXPECTED=${release_files} -DFORBIDDEN=USBCDDLL.dll -DGUIDE=${release_guide}
      -DGUIDE_NEWLINE=${release_newline} -P ${PROJECT_SOURCE_DIR}/cmake/check-install.cmake)
endif()

# The 64-bit Windows build tests the sources on machines that run no 32-bit programs; it is not a
# product, so it makes no package.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  return()
endif()

set(CPACK_PACKAGE_NAME Vadro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Vadro-${PROJECT_VERSION}-win32)
else()
  # The Linux program has the carousel simulator built in.
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME Vadro-${PROJECT_VERSION}-linux-with-simulator)
endif()
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME Vadro-${PROJECT_VERSION}-source)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/")
include(CPack)

if(WIN32)
  # The release as installed (stripped), with the simulator's USBCDDLL.dll added: for trying
  # the program without a carousel.
  set(demo_folder ${PROJECT_BINARY_DIR}/demo_package)
  set(demo_zip ${PROJECT_BINARY_DIR}/Vadro-${PROJECT_VERSION}-win32-demo-with-simulator.zip)
  set(strip_demo_library)
  if(CMAKE_STRIP)
    set(strip_demo_library COMMAND ${CMAKE_STRIP} ${demo_folder}/$<TARGET_FILE_NAME:usbcd_sim>)
  endif()
  add_custom_command(OUTPUT ${demo_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${demo_folder}
    COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${demo_folder} --strip
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:usbcd_sim> ${demo_folder}
    ${strip_demo_library}
    COMMAND ${CMAKE_COMMAND} -E chdir ${demo_folder}
      ${CMAKE_COMMAND} -E tar cf ${demo_zip} --format=zip Vadro.exe Vadro.txt $<TARGET_FILE_NAME:usbcd_sim>
    DEPENDS Vadro usbcd_sim ${VADRO_GUIDE}
    COMMENT "Making ${demo_zip}"
    VERBATIM)
  add_custom_target(demo_package DEPENDS ${demo_zip})
endif()
