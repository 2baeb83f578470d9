# Cross build for 32-bit Windows with Debian's i686 MinGW-w64 compiler
# (posix thread model). scripts/setup-windows.sh installs it.
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TAVI_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVI_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVI_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVI_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${TAVI_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, libgcc and winpthread linked in, so the DLL and the
# programs need only the system's DLLs.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

