# 64-bit Windows programs: the tests' build, which the rig's Wine can run.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
