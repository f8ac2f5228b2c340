cmake_minimum_required(VERSION 3.25)
# Compiles probe.cpp with the project's compiler: a control named rightly builds, a misspelt
# name (written, or composed of a stem and a number) and a name known only at run time do not,
# and the misspelt ones are reported as such.
#   cmake -DCXX=... -DROOT=<source tree> -DPROBE=<probe.cpp> -P check.cmake
function(compile result_var output_var)
  execute_process(
    COMMAND ${CXX} -std=c++20 -fsyntax-only -I${ROOT} ${ARGN} ${PROBE}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result_var} ${status} PARENT_SCOPE)
  set(${output_var} "${out}${err}" PARENT_SCOPE)
endfunction()

compile(status report "-DPROBE_NAME=\"im_flame_10\"")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a real control's name did not compile:\n${report}")
endif()

foreach(wrong "im_flame_11" "im_flame" "IM_FLAME_1" "im_flame_1 ")
  compile(status report "-DPROBE_NAME=\"${wrong}\"")
  if(status EQUAL 0)
    message(FATAL_ERROR "the misspelt control name '${wrong}' compiled")
  endif()
  if(NOT report MATCHES "no_control_has_this_name")
    message(FATAL_ERROR "'${wrong}' failed to compile for another reason:\n${report}")
  endif()
endforeach()

compile(status report -DPROBE_NUMBER=5)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a real control's composed name did not compile:\n${report}")
endif()
foreach(wrong 0 6 11)
  compile(status report -DPROBE_NUMBER=${wrong})
  if(status EQUAL 0)
    message(FATAL_ERROR "the composed control name with number ${wrong} compiled")
  endif()
  if(NOT report MATCHES "no_control_has_this_name")
    message(FATAL_ERROR "number ${wrong} failed to compile for another reason:\n${report}")
  endif()
endforeach()

compile(status report -DPROBE_RUNTIME_NAME)
if(status EQUAL 0)
  message(FATAL_ERROR "a control named by a run-time string compiled")
endif()
if(NOT report MATCHES "no matching (member )?function for call to [^\n]*show")
  message(FATAL_ERROR "the run-time name failed to compile for another reason:\n${report}")
endif()
message(STATUS "control names are checked when the code compiles")
