set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE2 arithmetic: doubles round the same way as on the 64-bit and native builds, with no
# excess x87 precision in the fill level and tooltip computations.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
