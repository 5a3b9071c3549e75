# The Win32 halves of the window shell (included from src/CMakeLists.txt).
target_sources(droplet_win32 PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/shaped_window_win32.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/window_helpers_win32.cpp)
