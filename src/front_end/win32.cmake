# The desktop services, the drop target and the version resource of the Win32 front end.
target_sources(droplet_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/desktop_services_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drop_target_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/single_instance_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_up_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_resource_win32.cpp)
