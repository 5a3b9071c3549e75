# The Win32 options dialog (included from src/CMakeLists.txt).
target_sources(droplet_win32 PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/settings/options_dialog_win32.cpp)
