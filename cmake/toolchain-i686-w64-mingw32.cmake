# Cross build for 32-bit Windows, the shipped target.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QM_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
