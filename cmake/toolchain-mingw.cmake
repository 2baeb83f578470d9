# What the MinGW-w64 cross builds for Windows share, included by one
# toolchain file per target, which first sets
#   TAVI_MINGW_PREFIX        the compilers' prefix, e.g. x86_64-w64-mingw32
#   CMAKE_SYSTEM_PROCESSOR   i686 or x86_64
# Debian's posix-thread-model compilers; scripts/setup-windows.sh installs
# them.
if(NOT TAVI_MINGW_PREFIX)
  message(FATAL_ERROR "toolchain-mingw.cmake is included by toolchain-mingw32.cmake or toolchain-mingw64.cmake, "
                      "not used as a toolchain file of its own")
endif()
set(CMAKE_SYSTEM_NAME Windows)

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
