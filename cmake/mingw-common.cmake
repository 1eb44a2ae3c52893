# Shared part of the mingw-w64 toolchain files; QUENORA_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUENORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENORA_MINGW_TRIPLE}-g++-posix)
# Quenora.exe itself is linked by the driver of the win32 thread model: the program makes its
# threads, locks and clock from Windows' own (platform/Sync.h, SteadyClock.h), and that runtime
# leaves out the POSIX thread library that the -posix runtime pulls in for its exception and
# static-initialisation bookkeeping, about 30 KB of the exe. Everything is compiled by the
# -posix compiler: the tests need std::thread, and the two share one ABI.
set(QUENORA_PROGRAM_LINKER ${QUENORA_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${QUENORA_MINGW_TRIPLE}-windres)
# The message compiler, for the texts of the events in the event log.
set(CMAKE_MC_COMPILER ${QUENORA_MINGW_TRIPLE}-windmc)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests and benchmarks run under wine, with the project's own prefix and quiet settings.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
# libstdc++, libgcc and winpthread go inside the exe: nothing to ship beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
