# Cross-build for 32-bit Windows with Debian's mingw-w64, win32 thread model: the posix model's
# thread library imports functions that Windows 2000 and XP lack (GetTickCount64,
# AddVectoredExceptionHandler), and the programs make their own threads (lha/threads_win.cpp).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QB_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${QB_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QB_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${QB_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QB_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: nothing but our own files has to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
