# Runs the trace tool on SCRIPT, writes its standard output to ACTUAL and compares it with
# EXPECTED. A first line "# args: ..." in the script gives extra command-line arguments.
# With -DREBASELINE=ON the output of a run that succeeds becomes the new EXPECTED, to be
# reviewed in the diff before it is committed (pictures too).
file(STRINGS ${SCRIPT} first LIMIT_COUNT 1)
set(args "")
if(first MATCHES "^# args: (.*)$")
  separate_arguments(args UNIX_COMMAND "${CMAKE_MATCH_1}")
endif()
# Snapshots are compared with the pictures kept as GOLDENS.NNNN.png; a failing one leaves what
# was painted and the difference as FAILED.NNNN.png and FAILED.NNNN.diff.png. A rebaseline
# renews every picture; -DPICTURES=missing writes only those not kept yet.
if(GOLDENS)
  list(APPEND args --goldens ${GOLDENS} --failed ${FAILED})
  if(REBASELINE)
    list(APPEND args --rebaseline all)
  elseif(PICTURES)
    list(APPEND args --rebaseline ${PICTURES})
  endif()
endif()
execute_process(COMMAND ${TRACE} ${args}
  INPUT_FILE ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_VARIABLE actual ERROR_VARIABLE err RESULT_VARIABLE rc)
file(WRITE ${ACTUAL} "${actual}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "trace tool exited with ${rc} on ${SCRIPT}: ${err}\n"
                      "its output is in ${ACTUAL}")
endif()
if(REBASELINE)
  file(WRITE ${EXPECTED} "${actual}")
  message(STATUS "rewrote ${EXPECTED}")
  return()
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "trace output differs from ${EXPECTED} (stderr: ${err})\n"
                      "actual output written to ${ACTUAL}; compare with\n"
                      "  diff ${EXPECTED} ${ACTUAL}\n"
                      "--- actual ---\n${actual}")
endif()
