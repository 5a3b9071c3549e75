# The main window and the desktop services of the Qt front end.
target_sources(droplet_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/desktop_services_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/single_instance_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/start_up_qt.cpp)
