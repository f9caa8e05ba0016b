# MinGW-w64 for 64-bit Windows: a cross build from Linux, or a native one on Windows with
# MinGW-w64's compilers on the PATH. The C and C++ runtimes are linked in, so Kalvex.exe
# needs no DLL beside it.
set(KALVEX_MINGW_TRIPLET x86_64-w64-mingw32)

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Windows")
  # Named, so that a Visual C++ found first on the PATH is not taken instead.
  set(CMAKE_C_COMPILER gcc)
  set(CMAKE_CXX_COMPILER g++)
  set(CMAKE_RC_COMPILER windres)
else()
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  # The POSIX thread model, as MinGW-w64 builds on Windows have: GCC 12's other one, win32,
  # has no std::mutex, which GoogleTest needs.
  set(CMAKE_C_COMPILER ${KALVEX_MINGW_TRIPLET}-gcc-posix)
  set(CMAKE_CXX_COMPILER ${KALVEX_MINGW_TRIPLET}-g++-posix)
  set(CMAKE_RC_COMPILER ${KALVEX_MINGW_TRIPLET}-windres)
  # Libraries and headers come from the MinGW-w64 tree only; programs run at build time
  # are the host's.
  set(CMAKE_FIND_ROOT_PATH /usr/${KALVEX_MINGW_TRIPLET})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
