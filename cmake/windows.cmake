# The Windows build: the layers of src/ over the win32 platform services, the module zorvax.ocx
# with its COM glue and resources (src/com), and the Windows test programs (tests/windows),
# cross-built with mingw-w64. scripts/build-windows.sh prepares the third-party
# libraries (Crypto++ from Debian's source package, GoogleTest from Debian's googletest sources;
# zlib is Debian's own Windows build, libz-mingw-w64-dev)
# under ZX_WINDOWS_THIRD_PARTY and configures one tree per architecture.

set(ZX_WINDOWS_THIRD_PARTY "${CMAKE_BINARY_DIR}/third_party" CACHE PATH
    "Folder of the cross-built third-party libraries (cryptopp-<arch>, googletest-<arch>)")

enable_language(RC)

# Windows 7 is the oldest system the control is built for.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)

set(zx_cryptopp_dir "${ZX_WINDOWS_THIRD_PARTY}/cryptopp-${CMAKE_SYSTEM_PROCESSOR}")
if(NOT EXISTS "${zx_cryptopp_dir}/lib/libcryptopp.a")
  message(FATAL_ERROR "No Crypto++ for ${CMAKE_SYSTEM_PROCESSOR} in ${zx_cryptopp_dir}: "
                      "scripts/build-windows.sh builds it from Debian's source package")
endif()
add_library(cryptopp::cryptopp STATIC IMPORTED GLOBAL)
set_target_properties(cryptopp::cryptopp PROPERTIES
  IMPORTED_LOCATION "${zx_cryptopp_dir}/lib/libcryptopp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${zx_cryptopp_dir}/include"
  # The operating system's random source (CryptGenRandom).
  INTERFACE_LINK_LIBRARIES advapi32)

# The layers name Crypto++ as the Linux build finds it.
add_library(PkgConfig::CRYPTOPP ALIAS cryptopp::cryptopp)

# zlib from Debian's libz-mingw-w64-dev, linked in like everything else (no zlib1.dll beside
# the module).
set(ZLIB_USE_STATIC_LIBS ON)

include(cmake/layers.cmake)
foreach(layer platform core ui protect transfer xmlout flows control module)
  add_subdirectory(src/${layer})
endforeach()
add_subdirectory(src/com)

if(ZX_BUILD_TESTS)
  # The test doubles read their scripts with Debian's header-only JSON library; only its own
  # folder is copied beside the build, so no Linux header reaches the Windows compiler.
  find_path(zx_json_include nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT zx_json_include)
    message(FATAL_ERROR "nlohmann/json.hpp not found: scripts/install-deps.sh installs it")
  endif()
  file(COPY "${zx_json_include}/nlohmann" DESTINATION "${CMAKE_BINARY_DIR}/header_only")
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/header_only")
  add_subdirectory(src/doubles)

  find_package(GTest CONFIG REQUIRED
               PATHS "${ZX_WINDOWS_THIRD_PARTY}/googletest-${CMAKE_SYSTEM_PROCESSOR}"
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  # Tests are registered only where CTest can run them: the x86_64 toolchain names
  # scripts/wine-run.sh as the emulator, the i686 one names none.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    enable_testing()
  endif()
  # The unit tests that apply to Windows, and the Windows-only tests (tests/windows).
  add_subdirectory(tests)
endif()
