# Runs the floor check on a small tree that breaks the rules in known ways and expects it to
cmake_minimum_required(VERSION 3.25)
# fail, naming each breach and none of the allowed includes.
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} -P ${CHECK}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "${out}${err}")
if(status EQUAL 0)
  message(FATAL_ERROR "the check passed a tree that breaks the floors:\n${report}")
endif()
foreach(expected
    "game/reaches_up.h: includes shell/program.h: game/ is on floor 2, shell/ is floor 4"
    "display/sideways.cpp: includes game/device.h: display/ is on floor 2, game/ is floor 2"
    "display/sideways.cpp: includes ../input/keys.h"
    "shell/window.h: includes tools/trace/rig.h: shell/ is on floor 4, tools/ is floor 4"
    "shell/core/sounding.cpp: includes sound/sound_output.h: shell/core/ does not use sound/"
    "5 include\\(s\\) break the floors")
  if(NOT report MATCHES "${expected}")
    message(FATAL_ERROR "the check did not report \"${expected}\":\n${report}")
  endif()
endforeach()
foreach(allowed "board/segment.h" "board/board.h" "shell/core/form_create.h"
                "shell/core/memory_store.h")
  if(report MATCHES "includes ${allowed}")
    message(FATAL_ERROR "the check reported an allowed include, ${allowed}:\n${report}")
  endif()
endforeach()
