# The client's Windows back ends: connections through Winsock and Schannel
# (under the Boost.Beast HTTP layer that Linux uses too), XML through
# XmlLite, all but Boost's headers parts of Windows itself. Included by this
# folder's CMakeLists.txt under if(WIN32), in place of the socket, OpenSSL
# and pugixml back ends.
set(pegasus_windows_backend_sources
  ${CMAKE_CURRENT_LIST_DIR}/WinAccount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinErrorText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinHostNameCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinSchannelStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinSocketStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinStreamConnector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transport/WinTcpConnector.cpp
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

# Boost's headers, header-only: nothing of Boost is linked.
add_library(pegasus_boost_headers INTERFACE)
if(CMAKE_CROSSCOMPILING)
  # The build machine's Debian package. The Windows compilers see a folder
  # that holds only a link to boost/, never the rest of the host's /usr/include.
  set(QUILLET_BOOST_INCLUDE_DIR /usr/include CACHE PATH "Folder holding Boost's headers (boost/), 1.74 or later")
  if(NOT EXISTS ${QUILLET_BOOST_INCLUDE_DIR}/boost/beast/http.hpp)
    message(FATAL_ERROR "No Boost.Beast in QUILLET_BOOST_INCLUDE_DIR=${QUILLET_BOOST_INCLUDE_DIR}: install libboost-dev")
  endif()
  set(pegasus_boost_folder ${CMAKE_BINARY_DIR}/boost-headers)
  if(NOT EXISTS ${pegasus_boost_folder}/boost)
    file(MAKE_DIRECTORY ${pegasus_boost_folder})
    file(CREATE_LINK ${QUILLET_BOOST_INCLUDE_DIR}/boost ${pegasus_boost_folder}/boost SYMBOLIC)
  endif()
  target_include_directories(pegasus_boost_headers SYSTEM INTERFACE ${pegasus_boost_folder})
else()
  # On Windows itself: wherever CMake finds them (Boost_ROOT, vcpkg, ...).
  find_package(Boost 1.74 REQUIRED)
  target_link_libraries(pegasus_boost_headers INTERFACE Boost::headers)
endif()
# Windows 10's API level, which Boost.Asio's headers (under Beast) ask for;
# no automatic linking of Boost libraries.
target_compile_definitions(pegasus_boost_headers INTERFACE _WIN32_WINNT=0x0A00 BOOST_ALL_NO_LIB)

# Compiles the Windows back ends into `target` and links what they use.
function(pegasus_add_windows_backends target)
  target_sources(${target} PRIVATE ${pegasus_windows_backend_sources})
  target_link_libraries(${target} PRIVATE pegasus_boost_headers pegasus_xmllite ws2_32 crypt32 secur32 iphlpapi
                        advapi32)
endfunction()
