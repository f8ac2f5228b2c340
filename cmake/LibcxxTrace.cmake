# The device must be the same on every standard library (a recording made in one front end
# replays in every other), so a build with tests also builds the toolkit-free floors and the
# trace tool with clang and libc++, optimized a little (-O1) and without sanitizers, in a
# folder of its own, and the golden traces run with that tool too. One compiler at a time
# beside the rest of the build, started early for the reason given in PlainTrace.cmake.
if(Q50_TESTS AND Q50_LIBCXX_TRACES)
  find_program(Q50_LIBCXX_CXX NAMES clang++ clang++-14)
  find_program(Q50_LIBCXX_CC NAMES clang clang-14)
  set(q50_libcxx_probe ${CMAKE_BINARY_DIR}/libcxx-probe.cpp)
  file(WRITE ${q50_libcxx_probe} "#include <version>\n#ifndef _LIBCPP_VERSION\n#error\n#endif\n"
                                 "int main() {}\n")
  set(q50_libcxx_status 1)
  if(Q50_LIBCXX_CXX AND Q50_LIBCXX_CC)
    execute_process(COMMAND ${Q50_LIBCXX_CXX} -stdlib=libc++ ${q50_libcxx_probe}
                            -o ${CMAKE_BINARY_DIR}/libcxx-probe
                    RESULT_VARIABLE q50_libcxx_status OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT q50_libcxx_status EQUAL 0)
    message(FATAL_ERROR "clang++ with libc++ was not found: install clang libc++-dev "
                        "libc++abi-dev (bash scripts/install-deps.sh installs everything the "
                        "build needs), or configure with -DQ50_LIBCXX_TRACES=OFF")
  endif()
  include(ExternalProject)
  set(Q50_LIBCXX_DIR ${CMAKE_BINARY_DIR}/libcxx)
  set(q50_libcxx_launcher "")
  if(CMAKE_CXX_COMPILER_LAUNCHER)
    set(q50_libcxx_launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
                            -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER})
  endif()
  ExternalProject_Add(q50-libcxx-trace
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${Q50_LIBCXX_DIR}
    CMAKE_ARGS -DQ50_TOOLKIT_FREE=ON -DQ50_SANITIZE=OFF -DQ50_FUZZ=OFF
               -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1
               -DCMAKE_C_FLAGS_RELEASE=-O1 -DCMAKE_CXX_COMPILER=${Q50_LIBCXX_CXX}
               -DCMAKE_C_COMPILER=${Q50_LIBCXX_CC} -DCMAKE_CXX_FLAGS=-stdlib=libc++
               -DCMAKE_EXE_LINKER_FLAGS=-stdlib=libc++ ${q50_libcxx_launcher}
    # The sound floor is not part of the trace tool; it is built to keep it compiling too.
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${Q50_LIBCXX_DIR} --target quendrix-trace q50sound
                  -j 1
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${Q50_LIBCXX_DIR}/tools/quendrix-trace)
  set(Q50_LIBCXX_TRACE ${Q50_LIBCXX_DIR}/tools/quendrix-trace)
endif()
