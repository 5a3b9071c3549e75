# The installed layout of the programs and their Debian packages.
#
# The build tree keeps each program alone in a folder of its own (build/<preset>/orvane/Orvane):
# that is the portable installation. The install rules below put the same program where an
# installed desktop program belongs, under the prefix (/usr in the packages):
#   bin/<name>                                   the program, stripped when installed with --strip
#   share/applications/<id>.desktop              its menu entry
#   share/icons/hicolor/<N>x<N>/apps/<name>.png  its icon, drawn from the program's art
#   share/metainfo/<id>.metainfo.xml             its software-centre description (AppStream)
#   share/man/man1/<name>.1.gz                   its manual page
#   share/doc/<name>/copyright, changelog.gz     what Debian policy asks of every package
# Each program is an install component of its own, named <name>, and has its own CPack
# configuration (<build>/CPackConfig-<name>.cmake), since the two packages carry different
# versions: `cpack --preset deb-orvane` after a build of the release preset writes
# <build>/packages/orvane_<version>_<arch>.deb.
# Each program's folder includes this file: the settings below hold for that folder's rules.
include(GNUInstallDirs)

# The packages' fields common to both programs. The maintainer and the licence are the
# repository's to decide: see packaging/copyright.
set(DROPLET_PACKAGE_MAINTAINER
    "Orvane and Tessik maintainers <maintainers@users.noreply.c-seed-c24039e6.example>"
    CACHE STRING "Maintainer field of the Debian packages")
set(DROPLET_PACKAGE_SECTION "utils" CACHE STRING "Section field of the Debian packages")
# The reverse-domain prefix of the programs' desktop and AppStream identifiers (<id> above is
# <prefix>.<name>). Provisional: the repository's own address, until the project has a domain.
set(DROPLET_APP_ID_PREFIX "example.c_seed_c24039e6"
    CACHE STRING "Reverse-domain prefix of the desktop and AppStream identifiers")
# What the programs start or load at run time, which dpkg-shlibdeps cannot see in the binary:
# the converters, the opener of folders and results, and Qt's X11 platform plugin.
set(DROPLET_PACKAGE_RUNTIME_DEPENDS "poppler-utils, xdg-utils, qt6-qpa-plugins")
# Qt's Wayland platform, for a Wayland session without XWayland (with XWayland the programs go
# through it and need nothing more).
set(DROPLET_PACKAGE_RUNTIME_SUGGESTS "qt6-wayland")
set(DROPLET_ICON_SIZES 16 24 32 48 64 128 256)

# Folders the install creates are world-readable whatever the umask of whoever packages.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

find_program(DROPLET_GZIP gzip REQUIRED)
if(NOT TARGET draw_art)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tools/art ${PROJECT_BINARY_DIR}/tools/art)
endif()

# `file` compressed as Debian wants it (gzip -9, no name, no time stamp) into `compressed`.
function(_droplet_gzip file compressed)
  get_filename_component(folder ${compressed} DIRECTORY)
  get_filename_component(name ${compressed} NAME_WLE)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${folder}/${name}
    COMMAND ${DROPLET_GZIP} -9nf ${folder}/${name}
    DEPENDS ${file}
    VERBATIM)
endfunction()

# Adds `set(<variable> <value>)` to the CPack configuration being written in `content`.
function(_droplet_cpack variable value)
  set(content "${content}set(${variable} [==[${value}]==])\n" PARENT_SCOPE)
endfunction()

# droplet_package(<target> NAME <name>)
# Installs <target> and its desktop files as component <name> and writes its CPack
# configuration. The program's own folder apps/<name>/ holds <name>.desktop.in,
# <name>.metainfo.xml.in and <name>.1; packaging/ holds the copyright file and, per program,
# <name>.changelog and <name>.description (the package's one-line summary, then its long
# description: lines of at most 80 characters, paragraphs parted by an empty line).
function(droplet_package target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "NAME" "")
  set(name ${ARG_NAME})
  set(app ${PROJECT_SOURCE_DIR}/apps/${name})
  set(packaging ${PROJECT_SOURCE_DIR}/packaging)
  set(staged ${CMAKE_CURRENT_BINARY_DIR}/package)
  # The version that apps/<name>/CMakeLists.txt gives the program (cmake/DropletProgram.cmake).
  get_target_property(version ${target} DROPLET_VERSION)
  file(READ ${packaging}/${name}.description description)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging}/${name}.description)
  string(FIND "${description}" "\n" end_of_summary)
  string(SUBSTRING "${description}" 0 ${end_of_summary} summary)
  math(EXPR end_of_summary "${end_of_summary} + 1")
  string(SUBSTRING "${description}" ${end_of_summary} -1 description)
  string(STRIP "${description}" description)

  # The program under its lower-case name. install(TARGETS) cannot rename, and the build tree's
  # name must stay; so the file is installed as a program and stripped like dh_strip does.
  install(PROGRAMS $<TARGET_FILE:${target}> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME ${name}
          COMPONENT ${name})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT ${name})

  # Menu entry and software-centre description, named by the program's identifier.
  set(DROPLET_PACKAGE_PROGRAM ${name})
  set(DROPLET_APP_ID ${DROPLET_APP_ID_PREFIX}.${name})
  configure_file(${app}/${name}.desktop.in ${staged}/${DROPLET_APP_ID}.desktop @ONLY)
  configure_file(${app}/${name}.metainfo.xml.in ${staged}/${DROPLET_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${staged}/${DROPLET_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT ${name})
  install(FILES ${staged}/${DROPLET_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT ${name})

  # Icons of every size, drawn by the art tool from the same drawing as the window's picture.
  set(theme ${staged}/hicolor)
  set(icons)
  foreach(size IN LISTS DROPLET_ICON_SIZES)
    list(APPEND icons ${theme}/${size}x${size}/apps/${name}.png)
  endforeach()
  add_custom_command(OUTPUT ${icons}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:draw_art> --icons ${name} ${theme} ${DROPLET_ICON_SIZES}
    DEPENDS draw_art
    COMMENT "Drawing the icons of ${target}"
    VERBATIM)
  install(DIRECTORY ${theme}/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor
          COMPONENT ${name})

  # Manual page, changelog and copyright.
  _droplet_gzip(${app}/${name}.1 ${staged}/man/${name}.1.gz)
  _droplet_gzip(${packaging}/${name}.changelog ${staged}/doc/changelog.gz)
  install(FILES ${staged}/man/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${name})
  install(FILES ${staged}/doc/changelog.gz ${packaging}/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name} COMPONENT ${name})

  add_custom_target(${name}_package_files ALL
    DEPENDS ${icons} ${staged}/man/${name}.1.gz ${staged}/doc/changelog.gz)

  # The CPack configuration of this program's package alone.
  set(content "# CPack configuration of the ${name} package (written by cmake/DropletPackaging).\n")
  _droplet_cpack(CPACK_GENERATOR "DEB")
  _droplet_cpack(CPACK_CMAKE_GENERATOR "${CMAKE_GENERATOR}")
  _droplet_cpack(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${name};/")
  _droplet_cpack(CPACK_PACKAGE_NAME "${name}")
  _droplet_cpack(CPACK_PACKAGE_VERSION "${version}")
  _droplet_cpack(CPACK_PACKAGE_FILE_NAME "${name}-${version}")
  _droplet_cpack(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
  _droplet_cpack(CPACK_PACKAGING_INSTALL_PREFIX "${DROPLET_PACKAGE_PREFIX}")
  _droplet_cpack(CPACK_STRIP_FILES "TRUE")
  _droplet_cpack(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${summary}")
  _droplet_cpack(CPACK_PACKAGE_DESCRIPTION "${description}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${description}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_NAME "${name}")
  _droplet_cpack(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DROPLET_PACKAGE_MAINTAINER}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_SECTION "${DROPLET_PACKAGE_SECTION}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_SHLIBDEPS "ON")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_DEPENDS "${DROPLET_PACKAGE_RUNTIME_DEPENDS}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_SUGGESTS "${DROPLET_PACKAGE_RUNTIME_SUGGESTS}")
  _droplet_cpack(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION "TRUE")
  _droplet_cpack(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
  file(WRITE ${CMAKE_BINARY_DIR}/CPackConfig-${name}.cmake "${content}")
endfunction()
