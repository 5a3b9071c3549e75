# Read by cpack once for each generator of a program's Windows configuration
# (cmake/DropletWin32Packaging.cmake): what each package holds, and its file name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${DROPLET_INSTALLER_PROJECTS}")
  set(CPACK_PACKAGE_FILE_NAME "${DROPLET_PROGRAM}-${CPACK_PACKAGE_VERSION}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${DROPLET_PORTABLE_PROJECTS}")
  set(CPACK_PACKAGE_FILE_NAME "${DROPLET_PROGRAM}-${CPACK_PACKAGE_VERSION}-portable")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
