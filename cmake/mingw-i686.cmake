# 32-bit Windows programs: the shipped updater.exe (and the end-to-end helpers that
# run it in the shipped run).
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
