# 32-bit Windows programs: the shipped updater.exe.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
