# The fuzz targets and what each one links, shared by the libFuzzer build
# (fuzz/CMakeLists.txt, option QUILLET_FUZZ) and the replay tests of the
# normal build (tests/faults).
set(QUILLET_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
set(QUILLET_FUZZ_TARGETS cimxml_response object_path device_list)

# The device-list parse without the rest of the module.
if(NOT TARGET quillet_fuzz_device_list_parse)
  set(module_options_dir ${CMAKE_SOURCE_DIR}/src/module/options)
  add_library(quillet_fuzz_device_list_parse STATIC EXCLUDE_FROM_ALL
    ${module_options_dir}/mellanox/mellanox_util.cpp ${module_options_dir}/opn_logging.cpp)
  target_include_directories(quillet_fuzz_device_list_parse PUBLIC ${module_options_dir} ${module_options_dir}/mellanox)
  target_link_libraries(quillet_fuzz_device_list_parse PUBLIC quillet_framework_headers quillet_log quillet_osspecific)
endif()

# Adds the source of fuzz target `name` to `target` with what it needs.
function(quillet_fuzz_target_setup target name)
  target_sources(${target} PRIVATE ${QUILLET_FUZZ_DIR}/targets/${name}_fuzzer.cpp)
  target_include_directories(${target} PRIVATE ${QUILLET_FUZZ_DIR}/targets)
  if(name STREQUAL "cimxml_response")
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/common/pegasus/client/codec)
    target_link_libraries(${target} PRIVATE pegasus_client)
  elseif(name STREQUAL "object_path")
    target_link_libraries(${target} PRIVATE pegasus_common)
  elseif(name STREQUAL "device_list")
    target_link_libraries(${target} PRIVATE quillet_fuzz_device_list_parse)
  else()
    message(FATAL_ERROR "unknown fuzz target ${name}")
  endif()
endfunction()
