# The installed module as other projects find it: a CMake package
# (find_package(QuilletMellanox CONFIG) gives QuilletMellanox::quillet_mellanox),
# a pkg-config file (quillet-mellanox), and CPack's Debian package of all that
# the folders install. Linux only: the Windows DLL ships on its own.
if(WIN32 OR NOT TARGET quillet_mellanox)
  return()
endif()

include(CMakePackageConfigHelpers)
set(quillet_package_dir ${CMAKE_CURRENT_LIST_DIR}/package)
set(quillet_package_build_dir ${CMAKE_BINARY_DIR}/package)

# Before 1.0 the minor version is part of the SONAME: a package of another
# minor version is not compatible either.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(quillet_compatibility SameMinorVersion)
else()
  set(quillet_compatibility SameMajorVersion)
endif()
install(EXPORT QuilletMellanoxTargets NAMESPACE QuilletMellanox::
  FILE QuilletMellanoxTargets.cmake DESTINATION ${QUILLET_INSTALL_CMAKEDIR})
configure_package_config_file(${quillet_package_dir}/QuilletMellanoxConfig.cmake.in
  ${quillet_package_build_dir}/QuilletMellanoxConfig.cmake
  INSTALL_DESTINATION ${QUILLET_INSTALL_CMAKEDIR})
write_basic_package_version_file(${quillet_package_build_dir}/QuilletMellanoxConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY ${quillet_compatibility})
install(FILES
  ${quillet_package_build_dir}/QuilletMellanoxConfig.cmake
  ${quillet_package_build_dir}/QuilletMellanoxConfigVersion.cmake
  DESTINATION ${QUILLET_INSTALL_CMAKEDIR})

# The pkg-config file names the prefix it is installed under, which
# `cmake --install --prefix` and CPack decide only at install time.
install(CODE "
  set(PROJECT_VERSION ${PROJECT_VERSION})
  set(CMAKE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  set(quillet_pc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/quillet-mellanox.pc\")
  message(STATUS \"Installing: \${quillet_pc}\")
  configure_file(\"${quillet_package_dir}/quillet-mellanox.pc.in\" \"\${quillet_pc}\" @ONLY)
")

# What Debian asks of every package: a copyright file and a changelog,
# compressed without a time stamp.
set(QUILLET_PACKAGE_MAINTAINER "quillet-mellanox developers <quillet-mellanox@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
string(TIMESTAMP quillet_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${quillet_package_dir}/changelog.in ${quillet_package_build_dir}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c ${quillet_package_build_dir}/changelog
  OUTPUT_FILE ${quillet_package_build_dir}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${quillet_package_dir}/copyright ${quillet_package_build_dir}/changelog.gz
  DESTINATION ${QUILLET_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet-mellanox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "quillet-mellanox developers")
set(CPACK_PACKAGE_CONTACT ${QUILLET_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quillet module for Mellanox network adapters, with its tools")
set(CPACK_PACKAGE_DESCRIPTION
  "A plug-in module of the Quillet systems-management framework that inventories,
diagnoses and collects service data from Mellanox network adapters through a
CIM server and the vendor's firmware tools. With the command-line host
quillet-mellanox, the simulated CIM server mlnx-cimsim and its fixtures, fake
firmware tools for the simulation, headers, a CMake package and a pkg-config
file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The loader's cache is refreshed through dpkg's trigger. (CPack also writes
# postinst and postrm scripts that run ldconfig: redundant, harmless.)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${quillet_package_dir}/triggers)
set(CPACK_STRIP_FILES ON)
# The prefix the tree was configured with is the one packaged (/usr for a
# Debian package), so installed paths agree with the pkg-config file.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PRE_BUILD_SCRIPTS ${quillet_package_dir}/compress-manual-pages.cmake)
include(CPack)
