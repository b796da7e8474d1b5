# Each folder of src/ is a library that sees only its own headers and those of the libraries it
# links: its include root holds a link to its own folder and nothing else, so an include that
# runs upward (or sideways to a library it does not use) finds no header and fails the build.

set(ZX_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

# The include root that shows `folder` (a folder of src/) as "<folder>/...".
function(zx_include_root folder out)
  set(root ${ZX_LAYER_ROOTS}/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# zx_layer(NAME [OBJECT] SOURCES ... USES lower layers ... LINKS third-party libraries ...)
# makes zx_<NAME> from src/<NAME>, with zx_<NAME>_headers for code that only compiles against
# its headers and gets the symbols from elsewhere (the module library).
function(zx_layer name)
  cmake_parse_arguments(L "OBJECT" "" "SOURCES;USES;LINKS" ${ARGN})
  zx_include_root(${name} root)
  add_library(zx_${name}_headers INTERFACE)
  target_include_directories(zx_${name}_headers INTERFACE ${root})
  set(headers)
  foreach(lower ${L_USES})
    list(APPEND headers ${lower}_headers)
  endforeach()
  target_link_libraries(zx_${name}_headers INTERFACE ${headers})
  if(L_OBJECT)
    add_library(zx_${name} OBJECT ${L_SOURCES})
  else()
    add_library(zx_${name} STATIC ${L_SOURCES})
  endif()
  target_link_libraries(zx_${name} PUBLIC zx_${name}_headers ${L_USES} PRIVATE ${L_LINKS})
endfunction()
