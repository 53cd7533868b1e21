# Cross build of skydump.exe and skyload.exe for 32-bit Windows with MinGW-w64:
#
#   cmake -S . -B build-win --toolchain cmake/mingw-w64-i686.cmake
#   cmake --build build-win
#
# (`make windows` does both.) The programs are console executables that need no DLL
# beyond those of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(SKY_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SKY_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SKY_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${SKY_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SKY_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes (libgcc, libstdc++, winpthread) linked in, so that each .exe
# runs on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A release carries no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Programs of this build run on Linux under Wine, when it is installed.
find_program(SKY_WINE wine)
if(SKY_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SKY_WINE})
endif()
