# Shared part of the mingw-w64 toolchain files; the per-architecture files set ZX_MINGW_TRIPLET
# and CMAKE_SYSTEM_PROCESSOR, then include this one.
#
# The posix-thread variant of Debian's cross compilers is used: the win32-thread variant of GCC 12
# has no std::thread or std::mutex, which Crypto++ and the test programs use. Everything links
# statically (libgcc, libstdc++, winpthread), so the modules and programs need no mingw runtime
# DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZX_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${ZX_MINGW_TRIPLET}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${ZX_MINGW_TRIPLET}-ranlib CACHE FILEPATH "Archive indexer")

# Never let the host's libraries, headers or CMake packages into a Windows build.
set(CMAKE_FIND_ROOT_PATH /usr/${ZX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
