# Run by CPack after it installs the package's files and before it packs them
# (CPACK_PRE_BUILD_SCRIPTS, cmake/Packaging.cmake): takes the .comment and .note sections, which
# name the compiler and the build and are of no use at run time, out of the programs, as
# Debian's own packages have them (CPack's stripping keeps them).
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()
