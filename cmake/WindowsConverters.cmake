# The converters the Windows programs carry beside themselves (third_party/poppler-windows):
# built with the windows preset, copied beside each program in the build tree and put into its
# installer and zip (cmake/DropletWin32Packaging.cmake). Off, the programs look for the
# converters on the search path alone, and the Windows tests use their stand-ins.
if(NOT WIN32)
  return()
endif()
option(DROPLET_BUILD_CONVERTERS "Build pdftohtml.exe and pdftotext.exe from Debian's sources" ON)
set(DROPLET_SOURCE_ARCHIVES ${PROJECT_SOURCE_DIR}/build/sources CACHE PATH
    "Debian's source archives of the converters and their libraries (scripts/install-deps.sh)")
if(DROPLET_BUILD_CONVERTERS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/third_party/poppler-windows
                   ${PROJECT_BINARY_DIR}/third_party/poppler-windows)
endif()
