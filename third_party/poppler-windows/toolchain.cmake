# The project's mingw-w64 toolchain, for the libraries under ${DROPLET_THIRD_PARTY_PREFIX}: their
# headers, static libraries and pkg-config files are found there, and nothing of the build
# machine's (its pkg-config would offer Linux libraries such as cairo).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-w64-x86_64.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH ${DROPLET_THIRD_PARTY_PREFIX})
set(ENV{PKG_CONFIG_LIBDIR} ${DROPLET_THIRD_PARTY_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DROPLET_THIRD_PARTY_PREFIX)
