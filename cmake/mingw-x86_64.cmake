# The same code for 64-bit Windows, tested where 32-bit programs cannot run.
set(ORVANE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
