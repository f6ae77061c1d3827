# CPack runs this after installing into its staging folder and before
# building the package: manual pages are shipped compressed, as Debian asks.
file(GLOB_RECURSE quillet_staged_files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER quillet_staged_files INCLUDE REGEX "/share/man/([a-z_A-Z.@]+/)?man[1-9]/[^/]+\\.[1-9][a-z]*$")
foreach(page ${quillet_staged_files})
  execute_process(COMMAND gzip -9 -n -f ${page} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
