# The Qt halves of the window shell (included from src/CMakeLists.txt).
target_sources(droplet_qt PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/dib_section_qt.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/shaped_window_qt.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/window_helpers_qt.cpp)

# Each program's pictures, embedded under the same resource paths (":/droplet/picture.bmp",
# ":/droplet/options.bmp") so that the same code loads the linked program's own. OBJECT
# libraries, so that the linker never drops the resource registration.
foreach(app orvane tessik)
  qt_add_resources(_droplet_${app}_art_sources
    ${CMAKE_CURRENT_SOURCE_DIR}/front_end/${app}/${app}.qrc)
  add_library(droplet_${app}_art OBJECT ${_droplet_${app}_art_sources})
  set_target_properties(droplet_${app}_art PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_link_libraries(droplet_${app}_art PUBLIC Qt6::Core)
endforeach()
