# The Windows deliverables of each program: a per-user installer and a portable zip.
#
# The installer, packages/<Program>-<version>-setup.exe, made by NSIS from
# packaging/windows/NSIS.template.in, installs without administrator rights into
# %LOCALAPPDATA%\Programs\<Program>: the one folder where the program knows itself installed and
# works in %LOCALAPPDATA%\<Program> instead of beside itself (src/common/working_folders_win32.cpp).
# It adds a shortcut to the user's Start menu and registers its uninstaller in the user's part of
# the registry (HKCU\...\Uninstall\<Program>), where the system's list of programs finds it. The
# uninstaller removes what the installer put there and nothing else: the results and settings the
# program wrote in %LOCALAPPDATA%\<Program> stay.
# The zip, packages/<Program>-<version>-portable.zip, holds the folder <Program> with the program
# and LEGGIMI.txt: unpacked where the user may write, the program works beside itself.
# With the converters built (cmake/WindowsConverters.cmake) both carry the program's converter
# beside it (pdftohtml.exe beside Orvane.exe) and, in licenze\, the licences of poppler and of
# the libraries inside it; the converter lies beside the program in the build tree too, and the
# Debian source archives it was built from are copied into packages/ beside the installers.
# Both come from CPack (its NSIS and ZIP generators), each program's from its own configuration
# (<build>/CPackConfig-<name>.cmake): `cpack --preset installer-orvane` after a build of the
# windows preset. The program is install component <name>, the readme component <name>_portable.
find_program(DROPLET_MAKENSIS makensis)

# droplet_win32_package(<target> NAME <name> CONVERTER <converter>)
# <target> is a program made by droplet_win32_program; <converter> is the converter it starts
# (pdftohtml, pdftotext), named by the readme and shipped beside it when the converters are built.
function(droplet_win32_package target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "NAME;CONVERTER" "")
  set(name ${ARG_NAME})
  set(PROGRAM ${target})
  set(CONVERTER ${ARG_CONVERTER})
  get_target_property(VERSION ${target} DROPLET_VERSION)
  get_target_property(icon ${target} DROPLET_ICON)
  set(staged ${CMAKE_CURRENT_BINARY_DIR}/package)
  # The one-line summary that begins packaging/<name>.description (also the Debian package's).
  file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/${name}.description summary LIMIT_COUNT 1)

  install(TARGETS ${target} RUNTIME DESTINATION . COMPONENT ${name})
  # The converter and what its licences ask: the readme says which version is inside, the
  # installer's first page too.
  if(DROPLET_BUILD_CONVERTERS)
    set(converter_file ${DROPLET_WINDOWS_CONVERTERS})
    list(FILTER converter_file INCLUDE REGEX "/${CONVERTER}\\.exe$")
    get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
    add_custom_command(OUTPUT ${folder}/${CONVERTER}.exe
      COMMAND ${CMAKE_COMMAND} -E copy ${converter_file} ${folder}/${CONVERTER}.exe
      DEPENDS windows_converters ${converter_file}
      COMMENT "${CONVERTER}.exe beside ${target}"
      VERBATIM)
    add_custom_target(${name}_converter DEPENDS ${folder}/${CONVERTER}.exe
                                                windows_converter_archives)
    add_dependencies(${target} ${name}_converter)
    install(PROGRAMS ${converter_file} DESTINATION . COMPONENT ${name})
    install(FILES ${DROPLET_WINDOWS_CONVERTER_LICENCES} DESTINATION licenze COMPONENT ${name})
    set(CONVERTER_VERSION ${DROPLET_WINDOWS_CONVERTER_VERSION})
    string(REPLACE ";" "\n  " sources "${DROPLET_WINDOWS_CONVERTER_ARCHIVE_NAMES}")
    set(CONVERTER_NOTE "\
Accanto al programma c'è il convertitore ${CONVERTER}.exe di poppler ${CONVERTER_VERSION}: finché
resta in questa cartella, il programma usa questo e non un altro ${CONVERTER}.exe del percorso di
ricerca (PATH).")
    set(CONVERTER_LICENCES "\

Licenze e sorgenti del convertitore

poppler è software libero, distribuito secondo la GNU General Public License, il cui testo è
in licenze\\poppler-COPYING.txt. Il convertitore contiene anche FreeType, zlib, libpng e
libjpeg-turbo, ognuno con la sua licenza nella cartella licenze. Portions of this software are
copyright (C) 2022 The FreeType Project (www.freetype.org). All rights reserved. This software
is based in part on the work of the Independent JPEG Group.

Il convertitore è fatto con questi pacchetti sorgente di Debian, che si trovano accanto
all'installazione e alla versione portatile:
  ${sources}
")
    set(installer_note "Con il programma viene installato il convertitore ${CONVERTER}.exe di \
poppler ${CONVERTER_VERSION}: finché resta accanto al programma, un altro ${CONVERTER}.exe nel \
percorso di ricerca (PATH) non viene usato. Le licenze sono nella cartella licenze.$\\r$\\n$\\r$\\n")
  else()
    set(CONVERTER_NOTE "\
Il convertitore ${CONVERTER}.exe va messo in questa cartella o in una cartella del percorso di
ricerca (PATH); se non lo trova, il programma lo dice all'avvio.")
    set(CONVERTER_LICENCES "")
    set(installer_note "")
  endif()
  # Read by Notepad: Windows line ends.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/LEGGIMI.txt.in ${staged}/LEGGIMI.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${staged}/LEGGIMI.txt DESTINATION . COMPONENT ${name}_portable)

  set(content "# CPack configuration of the ${PROGRAM} installer and portable zip (written by\n")
  string(APPEND content "# cmake/DropletWin32Packaging).\n")
  _droplet_win32_cpack(CPACK_GENERATOR "NSIS;ZIP")
  _droplet_win32_cpack(CPACK_CMAKE_GENERATOR "${CMAKE_GENERATOR}")
  _droplet_win32_cpack(CPACK_PACKAGE_NAME "${PROGRAM}")
  _droplet_win32_cpack(CPACK_PACKAGE_VERSION "${VERSION}")
  _droplet_win32_cpack(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${summary}")
  _droplet_win32_cpack(CPACK_PACKAGE_DESCRIPTION "${summary}")
  _droplet_win32_cpack(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
  _droplet_win32_cpack(CPACK_STRIP_FILES "TRUE")
  # The installer's script comes from packaging/windows/NSIS.template.in; the makensis found here.
  _droplet_win32_cpack(CPACK_MODULE_PATH "${PROJECT_SOURCE_DIR}/packaging/windows")
  _droplet_win32_cpack(CPACK_NSIS_EXECUTABLE "${DROPLET_MAKENSIS}")
  _droplet_win32_cpack(DROPLET_PROGRAM "${PROGRAM}")
  _droplet_win32_cpack(DROPLET_ICON "${icon}")
  _droplet_win32_cpack(DROPLET_CONVERTER_NOTE "${installer_note}")
  # Per generator (packaging/windows/CPackProjectConfig.cmake): the installer holds the program
  # alone, at the top of its folder; the zip holds the folder <Program> with the readme too.
  _droplet_win32_cpack(DROPLET_INSTALLER_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${name};/")
  _droplet_win32_cpack(DROPLET_PORTABLE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};${name};/${PROGRAM};${CMAKE_BINARY_DIR};${PROJECT_NAME};${name}_portable;/${PROGRAM}")
  _droplet_win32_cpack(CPACK_PROJECT_CONFIG_FILE
    "${PROJECT_SOURCE_DIR}/packaging/windows/CPackProjectConfig.cmake")
  file(WRITE ${CMAKE_BINARY_DIR}/CPackConfig-${name}.cmake "${content}")
endfunction()

# Adds `set(<variable> <value>)` to the CPack configuration being written in `content`.
function(_droplet_win32_cpack variable value)
  set(content "${content}set(${variable} [==[${value}]==])\n" PARENT_SCOPE)
endfunction()
