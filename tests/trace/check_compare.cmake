# The golden-trace comparison on a scratch copy of one expectation: a wrong expectation fails
# and leaves the actual output beside it, a rebaseline rewrites it to that output, and the
# comparison then passes.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(expected ${SCRATCH}/golden.expected)
set(actual ${SCRATCH}/golden.actual)
file(WRITE ${expected} "0 not what the device does\n")

function(compare out_rc out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DTRACE=${TRACE} -DSCRIPT=${SCRIPT}
                          -DEXPECTED=${expected} -DACTUAL=${actual} -DWORKDIR=${WORKDIR}
                          ${ARGN} -P ${COMPARE}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_text} "${out}${err}" PARENT_SCOPE)
endfunction()

compare(rc text)
if(rc EQUAL 0)
  message(FATAL_ERROR "a wrong expectation passed:\n${text}")
endif()
if(NOT text MATCHES "actual output written to[ \n]+[^ ]*golden\\.actual")
  message(FATAL_ERROR "the failure does not say where the actual output is:\n${text}")
endif()
file(READ ${actual} first_actual)
if(first_actual STREQUAL "" OR first_actual MATCHES "not what the device does")
  message(FATAL_ERROR "the actual output was not written:\n${first_actual}")
endif()

compare(rc text -DREBASELINE=ON)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the rebaseline failed:\n${text}")
endif()
file(READ ${expected} renewed)
if(NOT renewed STREQUAL first_actual)
  message(FATAL_ERROR "the rebaseline did not write the actual output as the expectation")
endif()

compare(rc text)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the renewed expectation does not pass:\n${text}")
endif()

# A script the tool refuses is never taken as the new expectation.
file(WRITE ${SCRATCH}/broken.script "0 no-such-command\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DTRACE=${TRACE} -DSCRIPT=${SCRATCH}/broken.script
                        -DEXPECTED=${expected} -DACTUAL=${actual} -DWORKDIR=${WORKDIR}
                        -DREBASELINE=ON -P ${COMPARE}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
file(READ ${expected} after_broken)
if(rc EQUAL 0 OR NOT after_broken STREQUAL first_actual)
  message(FATAL_ERROR "a failing script was taken as the new expectation")
endif()
