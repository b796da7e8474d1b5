# Download throughput of the transfer exchange against the curl command, same server, same run.
# It borrows the tests' server launcher, so it is built with the tests.
if(TARGET zx_test_support)
  add_executable(transfer_download_bench ${CMAKE_CURRENT_SOURCE_DIR}/transfer_download_bench.cpp
                                         ${PROJECT_SOURCE_DIR}/tests/transfer/peer_process.cpp)
  target_include_directories(transfer_download_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/transfer)
  target_link_libraries(transfer_download_bench PRIVATE zx_test_support)
  add_dependencies(transfer_download_bench zorvax-docserver)
endif()
