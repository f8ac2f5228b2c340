# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the package's dependencies on the
# program's libraries, from dpkg-shlibdeps run on the one executable the package holds. CPack's
# own way runs `file` on every installed file to find the executables, two processes for each
# of the 860 pictures and sounds, which was most of the time the package took to build.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(dir ${CPACK_PACKAGE_DIRECTORY}/_q50_shlibdeps)
  # dpkg-shlibdeps insists on a control file in the folder it runs in.
  file(MAKE_DIRECTORY ${dir}/debian)
  file(TOUCH ${dir}/debian/control)
  execute_process(COMMAND dpkg-shlibdeps --ignore-missing-info -O "${CPACK_Q50_EXECUTABLE}"
    WORKING_DIRECTORY ${dir}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0 OR NOT output MATCHES "Depends=.")
    message(FATAL_ERROR "dpkg-shlibdeps on ${CPACK_Q50_EXECUTABLE} failed: ${errors}")
  endif()
  string(REGEX REPLACE "^.*Depends=" "" libraries "${output}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${libraries}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
endif()
