# The client's Windows back ends: HTTP and HTTPS through WinHTTP, XML through
# XmlLite, both parts of Windows itself. Included by this folder's
# CMakeLists.txt under if(WIN32), in place of the libcurl, socket and pugixml
# back ends.
set(pegasus_windows_backend_sources
  ${CMAKE_CURRENT_LIST_DIR}/WinAccount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinErrorText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinHostNameCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinHttpTransport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinTcpProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinTlsHandshake.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinTrustStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml/WinXmlLiteReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml/WinXmlText.cpp)

# MinGW-w64 ships xmllite.h but no import library for xmllite.dll.
set(pegasus_xmllite_import ${CMAKE_CURRENT_BINARY_DIR}/libxmllite_import.a)
add_custom_command(OUTPUT ${pegasus_xmllite_import}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_CURRENT_LIST_DIR}/xml/WinXmlLite.def
          --output-lib ${pegasus_xmllite_import}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/xml/WinXmlLite.def
  COMMENT "Import library for xmllite.dll")
add_custom_target(pegasus_xmllite_import DEPENDS ${pegasus_xmllite_import})
add_library(pegasus_xmllite INTERFACE)
target_link_libraries(pegasus_xmllite INTERFACE ${pegasus_xmllite_import})
add_dependencies(pegasus_xmllite pegasus_xmllite_import)

# Compiles the Windows back ends into `target` and links what they use.
function(pegasus_add_windows_backends target)
  target_sources(${target} PRIVATE ${pegasus_windows_backend_sources})
  target_link_libraries(${target} PRIVATE pegasus_xmllite winhttp ws2_32 crypt32 secur32 iphlpapi advapi32)
endfunction()
