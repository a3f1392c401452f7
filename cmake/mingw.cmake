# Cross build for Windows with mingw-w64 (posix threads), shared by the
# toolchain files of the two targets; they set ORVANE_MINGW_ARCH first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORVANE_MINGW_ARCH})
set(CMAKE_C_COMPILER ${ORVANE_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANE_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANE_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test executables run under Wine, in the build's own prefix, with the loader
# of this target.
set(CMAKE_CROSSCOMPILING_EMULATOR
  /usr/bin/env ORVANE_ARCH=${ORVANE_MINGW_ARCH} ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
