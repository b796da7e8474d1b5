# 32-bit Windows with mingw-w64 (Debian's cross compilers). Built but not run here: Debian's
# wine64 package alone cannot start 32-bit programs, so no emulator is set and the build
# registers no tests.
set(ZX_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
