# Build-wide switches and the warning set every target of ours uses.

if(WIN32)
  set(DROPLET_PLATFORM win32)
else()
  set(DROPLET_PLATFORM posix)
endif()

option(DROPLET_BUILD_GUI "Build the desktop front ends (Qt 6 on Linux, Win32 on Windows)" ON)
# Which toolkit the front ends use: each GUI folder builds only its own.
if(DROPLET_BUILD_GUI AND WIN32)
  set(DROPLET_BUILD_WIN32_GUI ON)
  set(DROPLET_BUILD_QT OFF)
elseif(DROPLET_BUILD_GUI)
  set(DROPLET_BUILD_WIN32_GUI OFF)
  set(DROPLET_BUILD_QT ON)
else()
  set(DROPLET_BUILD_WIN32_GUI OFF)
  set(DROPLET_BUILD_QT OFF)
endif()
option(DROPLET_BUILD_TESTS "Build the tests" ON)
option(DROPLET_BUILD_BENCH "Build the benchmarks" OFF)
# Where the Debian packages install (their programs in <prefix>/bin).
set(DROPLET_PACKAGE_PREFIX "/usr")
option(DROPLET_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(DROPLET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32 AND MINGW)
  # One self-contained executable per program: nothing to copy beside it under Wine or Windows.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Warnings are errors for our own code only; third-party code (GoogleTest) keeps its own flags.
function(droplet_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  endif()
endfunction()
