# droplet_win32_program(<target> FOLDER <folder> DESCRIPTION <text> VERSION <major.minor.revision>
#                       ICON <png> PICTURE <bmp> OPTIONS_PICTURE <bmp> SOURCES ... LIBS ...)
# One Win32 program in its own folder (build/…/<folder>/<target>.exe) with its resources: the
# version (file version major.minor.0.revision, spelt "1.00.0007"), the icon made from <png> at
# build time, the main window's and the options dialog's pictures and the application manifest.
find_program(DROPLET_IMAGEMAGICK_CONVERT convert REQUIRED)

function(droplet_win32_program target)
  cmake_parse_arguments(ARG "" "FOLDER;DESCRIPTION;VERSION;ICON;PICTURE;OPTIONS_PICTURE"
    "SOURCES;LIBS" ${ARGN})
  string(REPLACE "." ";" parts ${ARG_VERSION})
  list(GET parts 0 DROPLET_MAJOR)
  list(GET parts 1 DROPLET_MINOR)
  list(GET parts 2 DROPLET_REVISION)
  # The file version as text: the minor number in two digits, the revision in four.
  set(minor_text "${DROPLET_MINOR}")
  set(revision_text "${DROPLET_REVISION}")
  string(LENGTH "${minor_text}" digits)
  while(digits LESS 2)
    string(PREPEND minor_text "0")
    math(EXPR digits "${digits} + 1")
  endwhile()
  string(LENGTH "${revision_text}" digits)
  while(digits LESS 4)
    string(PREPEND revision_text "0")
    math(EXPR digits "${digits} + 1")
  endwhile()
  set(DROPLET_FILE_VERSION "${DROPLET_MAJOR}.${minor_text}.${revision_text}")
  set(DROPLET_NAME ${target})
  set(DROPLET_DESCRIPTION ${ARG_DESCRIPTION})

  set(generated ${CMAKE_CURRENT_BINARY_DIR}/resources)
  set(DROPLET_ICON_FILE ${generated}/${ARG_FOLDER}.ico)
  set(DROPLET_PICTURE_FILE ${ARG_PICTURE})
  set(DROPLET_OPTIONS_FILE ${ARG_OPTIONS_PICTURE})
  set(DROPLET_MANIFEST_FILE ${generated}/${target}.manifest)
  add_custom_command(OUTPUT ${DROPLET_ICON_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
    COMMAND ${DROPLET_IMAGEMAGICK_CONVERT} ${ARG_ICON} -define icon:auto-resize=128,64,48,32,16
            ${DROPLET_ICON_FILE}
    DEPENDS ${ARG_ICON}
    COMMENT "Icon of ${target} from its picture"
    VERBATIM)
  configure_file(${CMAKE_SOURCE_DIR}/apps/droplet.manifest.in ${DROPLET_MANIFEST_FILE} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/apps/droplet.rc.in ${generated}/${target}.rc @ONLY)
  set_source_files_properties(${generated}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${DROPLET_ICON_FILE};${ARG_PICTURE};${ARG_OPTIONS_PICTURE};${DROPLET_MANIFEST_FILE}")

  add_executable(${target} WIN32 ${ARG_SOURCES} ${generated}/${target}.rc)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
  target_link_options(${target} PRIVATE -municode)
  droplet_warnings(${target})
  # The version and the icon go on to the installer (cmake/DropletWin32Packaging.cmake).
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${ARG_FOLDER}
    DROPLET_VERSION ${ARG_VERSION}
    DROPLET_ICON ${DROPLET_ICON_FILE})
endfunction()
