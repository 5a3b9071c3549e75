# The Qt halves of the window shell (included from src/CMakeLists.txt).
target_sources(droplet_qt PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/dib_section_qt.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/shaped_window_qt.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/window_helpers_qt.cpp)
