# Cross-build for 32-bit Windows with Debian's mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QB_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${QB_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QB_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QB_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QB_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: nothing but our own files has to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
