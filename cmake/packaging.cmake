# Windows build: what ships besides Quirvel.exe. The help file Quirvel.chm
# (compiled from help/ with chmcmd), the same pages as plain HTML in help/
# (for a browser, where no help viewer shows them) and the installer
# QuirvelSetup.exe (makensis), all built by default, with the tests that
# check them.

# The plain pages need no tool, so they are there even without chmcmd. The
# folder is made afresh: a page removed from help/ must not linger in it.
set(QUIRVEL_HTML_HELP ${CMAKE_BINARY_DIR}/help)
file(GLOB QUIRVEL_HTML_HELP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/help/*.html ${CMAKE_SOURCE_DIR}/help/*.css ${CMAKE_SOURCE_DIR}/help/*.png
  ${CMAKE_SOURCE_DIR}/help/*.gif ${CMAKE_SOURCE_DIR}/help/*.jpg)
set(QUIRVEL_HTML_HELP_FILES)
foreach(source ${QUIRVEL_HTML_HELP_SOURCES})
  get_filename_component(name ${source} NAME)
  list(APPEND QUIRVEL_HTML_HELP_FILES ${QUIRVEL_HTML_HELP}/${name})
endforeach()
add_custom_command(OUTPUT ${QUIRVEL_HTML_HELP_FILES}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUIRVEL_HTML_HELP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUIRVEL_HTML_HELP}
  COMMAND ${CMAKE_COMMAND} -E copy ${QUIRVEL_HTML_HELP_SOURCES} ${QUIRVEL_HTML_HELP}
  DEPENDS ${QUIRVEL_HTML_HELP_SOURCES}
  COMMENT "Copying the help pages as plain HTML into help/"
  VERBATIM)
add_custom_target(htmlhelp ALL DEPENDS ${QUIRVEL_HTML_HELP_FILES})

find_program(CHMCMD chmcmd)
find_program(MAKENSIS makensis)
if(NOT CHMCMD OR NOT MAKENSIS)
  message(WARNING "chmcmd (fp-utils) or makensis (nsis) is missing: no help file and no installer. "
                  "scripts/setup.sh installs them.")
  return()
endif()

file(GLOB QUIRVEL_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
# chmcmd writes the compiled file into its working folder.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/Quirvel.chm
  COMMAND ${CHMCMD} --verbosity 0 ${CMAKE_SOURCE_DIR}/help/quirvel.hhp
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS ${QUIRVEL_HELP_SOURCES}
  COMMENT "Compiling the help file Quirvel.chm"
  VERBATIM)
add_custom_target(helpfile ALL DEPENDS ${CMAKE_BINARY_DIR}/Quirvel.chm)

# The installer ships the program without its debugging information. The
# 64-bit build gets a 64-bit installer of its own.
set(QUIRVEL_SHIPPED_EXE ${CMAKE_BINARY_DIR}/installer/Quirvel.exe)
set(QUIRVEL_INSTALLER_KIND)
if(QUIRVEL_WINE_BUILD STREQUAL "win64")
  set(QUIRVEL_INSTALLER_KIND -DWIN64)
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/QuirvelSetup.exe
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installer
  COMMAND ${CMAKE_STRIP} -o ${QUIRVEL_SHIPPED_EXE} $<TARGET_FILE:Quirvel>
  COMMAND ${MAKENSIS} -V2 ${QUIRVEL_INSTALLER_KIND} -DEXE=${QUIRVEL_SHIPPED_EXE} -DCHM=${CMAKE_BINARY_DIR}/Quirvel.chm
          -DHELP=${QUIRVEL_HTML_HELP}
          -DICON=${CMAKE_SOURCE_DIR}/resources/quirvel.ico -DOUTFILE=${CMAKE_BINARY_DIR}/QuirvelSetup.exe
          ${CMAKE_SOURCE_DIR}/installer/quirvel.nsi
  DEPENDS Quirvel ${CMAKE_BINARY_DIR}/Quirvel.chm ${QUIRVEL_HTML_HELP_FILES} ${CMAKE_SOURCE_DIR}/installer/quirvel.nsi
          ${CMAKE_SOURCE_DIR}/resources/quirvel.ico
  COMMENT "Building the installer QuirvelSetup.exe"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${CMAKE_BINARY_DIR}/QuirvelSetup.exe)
add_dependencies(installer helpfile htmlhelp)

add_test(NAME help_file COMMAND bash ${CMAKE_SOURCE_DIR}/tests/help/check_help.sh ${CMAKE_BINARY_DIR}/Quirvel.chm
  ${QUIRVEL_HTML_HELP})
# Drives the installed program's window on the shared display: alone.
add_test(NAME installer COMMAND bash ${CMAKE_SOURCE_DIR}/tests/installer/install_test.sh
  ${CMAKE_BINARY_DIR}/QuirvelSetup.exe ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(installer PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE ENVIRONMENT QUIRVEL_WINE_BUILD=${QUIRVEL_WINE_BUILD})
