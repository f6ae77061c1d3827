# Where `cmake --install` puts things: the GNUInstallDirs places, plus our own
# folders below them. Programs and libraries find our shared libraries through
# $ORIGIN/../<libdir>, or through nothing when that folder is one the linker
# and loader search anyway (an install into /usr).
include(GNUInstallDirs)

set(QUILLET_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quillet)
set(QUILLET_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuilletMellanox)
set(QUILLET_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/quillet-mellanox)
set(QUILLET_INSTALL_FIXTURESDIR ${QUILLET_INSTALL_DATADIR}/fixtures)
# The fake firmware tools are executables: architecture-dependent, so not below share/.
set(QUILLET_INSTALL_FAKE_ROOT ${CMAKE_INSTALL_LIBEXECDIR}/quillet-mellanox/fake-root)
set(QUILLET_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/quillet-mellanox)

if(NOT WIN32)
  set(quillet_searched_anyway ${CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES} ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES})
  if(NOT CMAKE_INSTALL_FULL_LIBDIR IN_LIST quillet_searched_anyway)
    set(CMAKE_INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
endif()

# Our shared libraries carry the project's version in their SONAME; before
# 1.0 every minor release may change the ABI, so the minor is part of it.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(QUILLET_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
else()
  set(QUILLET_SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

# Gives a shared library of ours its versioned name and SONAME (Windows DLLs
# keep their plain names) and installs it into the package's export set.
function(quillet_install_shared_library target)
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${QUILLET_SOVERSION})
  endif()
  install(TARGETS ${target} EXPORT QuilletMellanoxTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()
