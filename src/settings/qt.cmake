# The Qt options dialog (included from src/CMakeLists.txt).
target_sources(droplet_qt PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/settings/options_dialog_qt.cpp)
