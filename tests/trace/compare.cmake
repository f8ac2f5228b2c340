# Runs the trace tool on SCRIPT and compares its standard output with EXPECTED.
# A first line "# args: ..." in the script gives extra command-line arguments.
file(STRINGS ${SCRIPT} first LIMIT_COUNT 1)
set(args "")
if(first MATCHES "^# args: (.*)$")
  separate_arguments(args UNIX_COMMAND "${CMAKE_MATCH_1}")
endif()
execute_process(COMMAND ${TRACE} ${args}
  INPUT_FILE ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_VARIABLE actual ERROR_VARIABLE err RESULT_VARIABLE rc)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  string(REGEX REPLACE "[/\\.]" "_" safe "${SCRIPT}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/trace_actual.txt "${actual}")
  message(FATAL_ERROR "trace output differs from ${EXPECTED} (rc ${rc}, stderr: ${err})\n"
                      "actual output written to ${CMAKE_CURRENT_BINARY_DIR}/trace_actual.txt\n"
                      "--- actual ---\n${actual}")
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "trace tool exited with ${rc}: ${err}")
endif()
