set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE2 arithmetic: doubles round the same way as on the 64-bit and native builds, with no
# excess x87 precision in the fill level and tooltip computations.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
# The C++ library's own x87 code must round to double too: mingw's start-up code otherwise sets
# the FPU to 64-bit precision, and std::from_chars then misreads some decimals (it multiplies
# in the FPU, rounding twice). CRT_fp8.o sets 53 bits, as MSVC's start-up code does.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=CRT_fp8.o
                OUTPUT_VARIABLE quenora_crt_fp8 OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${quenora_crt_fp8}")
  message(FATAL_ERROR "CRT_fp8.o of ${CMAKE_CXX_COMPILER} not found")
endif()
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " ${quenora_crt_fp8}")
