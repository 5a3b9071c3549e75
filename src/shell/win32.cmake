# The Win32 halves of the window shell, and the DIB section, whose pixels are a GDI bitmap on
# Windows.
target_sources(droplet_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dib_section.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dib_section_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shaped_window_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_helpers_win32.cpp)
