# Makes an import library from the export table of one of Wine's PE DLLs:
#   cmake -DREADOBJ=llvm-readobj -DDLLTOOL=llvm-dlltool -DDLL=x.dll -DLIBRARY=x.lib -P make-import-library.cmake
# Names that Microsoft's DLLs do not export are left out, so that a program
# that links here also loads on Windows: Wine's own (wine_*, __wine_*) and
# __chkstk, which Microsoft's programs carry themselves.
execute_process(COMMAND ${READOBJ} --coff-exports ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "llvm-readobj could not read the exports of ${DLL} (status ${status})")
endif()
get_filename_component(dll_name ${DLL} NAME)
set(def "LIBRARY ${dll_name}\nEXPORTS\n")
string(REGEX MATCHALL "\n  Name: [^\n]+" names "${dump}")
foreach(line ${names})
  string(REGEX REPLACE "\n  Name: " "" name "${line}")
  if(name MATCHES "^(__wine|wine_|__chkstk$)" OR name STREQUAL "")
    continue()
  endif()
  string(APPEND def "  ${name}\n")
endforeach()
get_filename_component(library_dir ${LIBRARY} DIRECTORY)
file(MAKE_DIRECTORY ${library_dir})
file(WRITE ${LIBRARY}.def "${def}")
execute_process(COMMAND ${DLLTOOL} -m i386:x86-64 -d ${LIBRARY}.def -l ${LIBRARY} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "llvm-dlltool could not make ${LIBRARY} from ${LIBRARY}.def (status ${status})")
endif()
