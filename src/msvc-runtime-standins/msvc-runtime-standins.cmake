# Included after project() by cmake/toolchain-clang-cl.cmake: builds the
# stand-ins for the static part of Microsoft's runtime and the import
# libraries of the DLLs, and links every later target of the project to them.
if(TARGET quillet_msvc_runtime OR PROJECT_NAME STREQUAL "CMAKE_TRY_COMPILE")
  return()
endif()

set(quillet_import_dir ${CMAKE_BINARY_DIR}/msvc-runtime-standins/lib)
# vcruntime140 before ucrtbase: both export memcpy and friends, and
# Microsoft's programs take them from vcruntime140.
set(quillet_import_dlls vcruntime140 ucrtbase msvcp140 kernel32 advapi32 ws2_32 winhttp crypt32 secur32
    xmllite ole32 user32 iphlpapi bcrypt)
set(quillet_import_libraries)
foreach(dll ${quillet_import_dlls})
  set(library ${quillet_import_dir}/${dll}.lib)
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -DREADOBJ=${QUILLET_LLVM_READOBJ_19} -DDLLTOOL=${QUILLET_LLVM_DLLTOOL_19}
            -DDLL=${QUILLET_WINE_DLL_DIR}/${dll}.dll -DLIBRARY=${library}
            -P ${CMAKE_CURRENT_LIST_DIR}/make-import-library.cmake
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make-import-library.cmake
    COMMENT "Import library for ${dll}.dll")
  list(APPEND quillet_import_libraries ${library})
endforeach()
add_custom_target(quillet_msvc_import_libraries DEPENDS ${quillet_import_libraries})

# The STL's own sources for what its headers expect from the static library.
set(quillet_stl_sources charconv.cpp xcharconv_ryu_tables.cpp xcharconv_tables_double.cpp
    xcharconv_tables_float.cpp syserror_import_lib.cpp)
list(TRANSFORM quillet_stl_sources PREPEND ${QUILLET_MSVC_STL_DIR}/src/)
file(GLOB quillet_standin_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/src/*.cpp)
add_library(quillet_msvc_runtime STATIC ${quillet_standin_sources} ${quillet_stl_sources})
# Included before the project sets its warning options: ours are warning-free
# as the rest; the STL's sources are Microsoft's, built as they are.
target_compile_options(quillet_msvc_runtime PRIVATE /W4 /WX /permissive-)
set_source_files_properties(${quillet_stl_sources} PROPERTIES COMPILE_OPTIONS "/W0")
target_compile_definitions(quillet_msvc_runtime PRIVATE _CRTBLD)
# Included before the project sets its language level.
target_compile_features(quillet_msvc_runtime PRIVATE cxx_std_17)
add_dependencies(quillet_msvc_runtime quillet_msvc_import_libraries)
set_target_properties(quillet_msvc_runtime PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${quillet_import_dir})
target_link_directories(quillet_msvc_runtime INTERFACE ${quillet_import_dir})
# kernel32 and advapi32 as in CMake's default libraries for Microsoft's toolset.
target_link_libraries(quillet_msvc_runtime INTERFACE vcruntime140 ucrtbase msvcp140 kernel32 advapi32)

link_libraries(quillet_msvc_runtime)
