# droplet_program(<Name> VERSION <major.minor.revision> CONVERTER <converter>)
# One droplet as the platform builds it, in a folder of its own (build/…/<name>/<Name>) that is
# also its scratch area when it runs from there: on Windows the Win32 program with its resources,
# its per-user installer and its portable zip; elsewhere the Qt program and its Debian package.
# The lower-case <name> names the folder, the sources of apps/<name>, the pictures of
# src/front_end/<name>, the program's library droplet_<name> and the packages.
# The version is written here and nowhere else: the program's library droplet_<name> gets it as
# DROPLET_VERSION_MAJOR, _MINOR and _REVISION, and the program target and the library carry it
# as their property DROPLET_VERSION, from which the version resource, the packages and the tests
# take it.
function(droplet_program name)
  cmake_parse_arguments(ARG "" "VERSION;CONVERTER" "" ${ARGN})
  string(TOLOWER ${name} lower)
  if(NOT ARG_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "${name}: VERSION must be major.minor.revision, not '${ARG_VERSION}'")
  endif()
  target_compile_definitions(droplet_${lower} PRIVATE DROPLET_VERSION_MAJOR=${CMAKE_MATCH_1}
    DROPLET_VERSION_MINOR=${CMAKE_MATCH_2} DROPLET_VERSION_REVISION=${CMAKE_MATCH_3})
  set_target_properties(droplet_${lower} PROPERTIES DROPLET_VERSION ${ARG_VERSION})
  if(DROPLET_BUILD_WIN32_GUI)
    include(DropletWin32Program)
    droplet_win32_program(${name}
      FOLDER ${lower}
      DESCRIPTION "${name}"
      VERSION ${ARG_VERSION}
      ICON ${CMAKE_CURRENT_SOURCE_DIR}/${lower}.png
      PICTURE ${PROJECT_SOURCE_DIR}/src/front_end/${lower}/picture.bmp
      OPTIONS_PICTURE ${PROJECT_SOURCE_DIR}/src/front_end/${lower}/options.bmp
      SOURCES main_win32.cpp
      LIBS droplet_win32 droplet_${lower})
    # See cmake/DropletWin32Packaging.cmake.
    include(DropletWin32Packaging)
    droplet_win32_package(${name} NAME ${lower} CONVERTER ${ARG_CONVERTER})
  elseif(DROPLET_BUILD_QT)
    add_executable(${name} main.cpp)
    target_link_libraries(${name} PRIVATE droplet_qt droplet_${lower} droplet_${lower}_art)
    droplet_warnings(${name})
    set_target_properties(${name} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${lower}
      DROPLET_VERSION ${ARG_VERSION})
    # Installed as a desktop program (/usr/bin/<name> and its menu entry, icons and description)
    # and packaged as <name>_<version>_<arch>.deb: see cmake/DropletPackaging.cmake.
    include(DropletPackaging)
    droplet_package(${name} NAME ${lower})
  endif()
endfunction()
