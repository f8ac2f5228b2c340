cmake_minimum_required(VERSION 3.25)
# Configures the source tree with one required library hidden at a time, and once with a switch
# that this compiler cannot honour: each configure must stop and name what to install or do,
# instead of leaving a part of the build out.
#   cmake -DROOT=<source tree> -DSCRATCH=<folder> -P check_required.cmake
function(expect_refusal what message)
  set(dir ${SCRATCH}/${what})
  file(REMOVE_RECURSE ${dir})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${ROOT} -B ${dir} -DQ50_TESTS=OFF -DQ50_BENCH=ON ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(REMOVE_RECURSE ${dir})
  string(REGEX REPLACE "[ \n]+" " " report "${out}${err}")
  if(status EQUAL 0)
    message(FATAL_ERROR "the configure without ${what} succeeded:\n${out}${err}")
  endif()
  if(NOT report MATCHES "${message}")
    message(FATAL_ERROR "the configure without ${what} failed without saying '${message}':\n"
                        "${out}${err}")
  endif()
endfunction()

expect_refusal(xlib "X11 was not found: install libx11-dev" -DCMAKE_DISABLE_FIND_PACKAGE_X11=ON)
expect_refusal(qt "Qt6 COMPONENTS Gui Svg was not found: install qt6-svg-dev"
               -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON)
expect_refusal(libcxx "clang[+][+] with libc[+][+] was not found: install clang libc[+][+]-dev"
               -DQ50_TESTS=ON -DQ50_LIBCXX_CXX=${SCRATCH}/no-such-clang)
if(NOT CXX_ID MATCHES "Clang")
  expect_refusal(clang "Q50_FUZZ=ON needs clang" -DQ50_FUZZ=ON)
endif()
message(STATUS "a missing library stops the configure and names its package")
