# The code is built as one static library per layer, each linking only the layers below it:
#
#   droplet_common                          shared types and helpers (src/common)
#   droplet_files  droplet_runner  droplet_shell
#                                           the platform services and the pure computations
#   droplet_settings                        the settings file and the options form
#   droplet_front_end                       the workflow and the UI model both GUIs show
#   droplet_orvane  droplet_tessik          each program's own data
#   droplet_qt | droplet_win32              the GUI backend of the platform
#
# The build keeps the layers apart. A layer sees the headers of its own folder and of the
# layers it links, and no others: each folder is offered to the compiler through an include
# root of its own in the build tree (<build>/layers/<folder>/<folder> is a link to
# src/<folder>), so that an include that runs upward does not compile. Where the toolchain can
# tell (GCC or Clang, no sanitizers), each layer is also linked on its own into a shared
# library that may leave no symbol undefined, so that a call that runs upward does not link.

# droplet_layer_headers(<target> <folder>...): <target> and whatever links it see the headers of
# src/<folder> as "<folder>/...".
function(droplet_layer_headers target)
  foreach(folder IN LISTS ARGN)
    set(root ${CMAKE_BINARY_DIR}/layers/${folder})
    if(NOT EXISTS ${root}/${folder})
      file(MAKE_DIRECTORY ${root})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
  endforeach()
endfunction()

# droplet_layer_link_check(<target> [WINDOW_SYSTEM]): links the whole of the static library
# <target> into a shared library that may leave nothing undefined. What <target> calls must come
# from the libraries it links. mingw-w64 links user32 into everything by default, so on Windows
# a layer below the GUI backend (no WINDOW_SYSTEM) also fails when its library imports the window
# system (user32, gdi32).
function(droplet_layer_link_check target)
  cmake_parse_arguments(ARG "WINDOW_SYSTEM" "" "" ${ARGN})
  if(DROPLET_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/layers/link_check.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// Nothing of its own: a layer's link check links the layer alone.\n")
  endif()
  add_library(${target}_link_check SHARED ${source})
  target_link_libraries(${target}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
  target_link_options(${target}_link_check PRIVATE LINKER:--no-undefined)
  set_target_properties(${target}_link_check PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layers
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layers)
  if(MINGW AND NOT ARG_WINDOW_SYSTEM)
    add_custom_command(TARGET ${target}_link_check POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:${target}_link_check>
              -DLAYER=${target} -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoWindowSystem.cmake
      VERBATIM)
  endif()
endfunction()

# droplet_layer(<target> FOLDER <folder> [SOURCES <file>...] [PLATFORM_SOURCES <name>...]
#               [LINKS <library>...])
# The static library of one layer: SOURCES of src/<folder>, and for each PLATFORM_SOURCES name
# its <name>_posix.cpp or <name>_win32.cpp (the platform's half of a service, chosen here and
# never by the portable code). LINKS are the layers below it (and system libraries) that it uses.
function(droplet_layer target)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;PLATFORM_SOURCES;LINKS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  foreach(name IN LISTS ARG_PLATFORM_SOURCES)
    target_sources(${target} PRIVATE ${name}_${DROPLET_PLATFORM}.cpp)
  endforeach()
  droplet_layer_headers(${target} ${ARG_FOLDER})
  target_link_libraries(${target} PUBLIC ${ARG_LINKS})
  droplet_warnings(${target})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  droplet_layer_link_check(${target})
endfunction()
