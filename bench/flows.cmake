# The whole download method in the host program against a shell pipeline of standard tools, same
# server, same run. It borrows the tests' server launcher, so it is built with the tests.
if(TARGET zx_peer_process)
  add_executable(flows_download_bench ${CMAKE_CURRENT_SOURCE_DIR}/flows_download_bench.cpp)
  target_link_libraries(flows_download_bench PRIVATE zx_peer_process)
  add_dependencies(flows_download_bench zorvax-docserver zorvax_host)
endif()
