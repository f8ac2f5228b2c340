# Runs the documentation checks on a small tree with known faults and expects each check to
# fail, naming every fault and nothing that is in order.
cmake_minimum_required(VERSION 3.25)
function(run_check kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} -DCHECK=${kind} -P ${CHECK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  if(status EQUAL 0)
    message(FATAL_ERROR "the ${kind} check passed a tree with faults:\n${stdout}${stderr}")
  endif()
  set(${out} "${stdout}${stderr}" PARENT_SCOPE)
endfunction()
function(expect report)
  foreach(expected ${ARGN})
    string(FIND "${report}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the check did not report \"${expected}\":\n${report}")
    endif()
  endforeach()
endfunction()
function(expect_not report)
  foreach(allowed ${ARGN})
    string(FIND "${report}" "${allowed}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "the check reported \"${allowed}\", which is in order:\n${report}")
    endif()
  endforeach()
endfunction()

run_check(links links)
expect("${links}"
  "README.md: the link to docs/missing.md points nowhere"
  "README.md: the link docs/guide.md#no-such-heading: no heading there makes #no-such-heading"
  "README.md: the link to docs/absent.png points nowhere"
  "docs/guide.md: the link ../README.md#licence: no heading there makes #licence"
  "docs/orphan.md is not in README.md's documentation index"
  "5 fault(s) in the links")
expect_not("${links}" "fenced-away" "spanned-away" "example.invalid" "#the-keys" "#start"
  "docs/guide.md is not" "docs/settings.md is not")

run_check(settings settings)
expect("${settings}"
  "docs/settings.md does not name the stored value Beta"
  "docs/settings.md does not name the stored value Key4"
  "2 stored value(s) missing")
expect_not("${settings}" "value Alpha" "value Key1" "value Key2" "value Key3" "Gamma")
