# 64-bit Windows with mingw-w64 (Debian's cross compilers). Programs built with it run under
# Debian's wine64 through scripts/wine-run.sh, so CTest can run the Windows tests.
set(ZX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
