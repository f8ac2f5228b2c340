# A sanitized program cannot run under `ulimit -v` (AddressSanitizer reserves terabytes of address
# space), so a sanitized build with tests also builds the trace tool without the sanitizers,
# unoptimized (it only has to load skins), in a folder of its own, for the picture bombs to run
# under the limit the tool meets in use. The RetroArch core is built there too: RetroArch itself
# is not sanitized and cannot load a sanitized core. One compiler at a time: it builds beside the rest of
# the build. Included before every other target on purpose: ninja starts the ready steps in the
# order they are written, and this chain (about a tenth of the build's work, one step after the
# other) then runs from the first second instead of being left alone at the end, where it held
# up the trace tests' program with the other core idle.
#
# It is built with GCC where there is one, whatever compiles the rest: the tests' build may be
# clang's (scripts/test.sh), and GCC, which builds the program users build, then still compiles
# every toolkit-free floor, the trace tool and the core, and the RetroArch tests run its code.
if(Q50_SANITIZE AND Q50_TESTS)
  include(ExternalProject)
  set(Q50_PLAIN_TRACE_DIR ${CMAKE_BINARY_DIR}/plain-trace)
  find_program(Q50_GXX g++)
  find_program(Q50_GCC gcc)
  set(Q50_PLAIN_CXX ${CMAKE_CXX_COMPILER})
  set(Q50_PLAIN_CC ${CMAKE_C_COMPILER})
  # The golden traces run with this tool too when it is the only one GCC built.
  set(Q50_GCC_TRACE "")
  if(Q50_GXX AND Q50_GCC)
    set(Q50_PLAIN_CXX ${Q50_GXX})
    set(Q50_PLAIN_CC ${Q50_GCC})
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      set(Q50_GCC_TRACE ${Q50_PLAIN_TRACE_DIR}/tools/quendrix-trace)
    endif()
  endif()
  ExternalProject_Add(q50-plain-trace
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${Q50_PLAIN_TRACE_DIR}
    CMAKE_ARGS -DQ50_SANITIZE=OFF -DQ50_DESKTOP=OFF -DQ50_TESTS=OFF -DQ50_BENCH=OFF
               -DQ50_FUZZ=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0
               -DCMAKE_C_FLAGS_DEBUG=-O0 -DCMAKE_CXX_COMPILER=${Q50_PLAIN_CXX}
               -DCMAKE_C_COMPILER=${Q50_PLAIN_CC}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${Q50_PLAIN_TRACE_DIR} --target quendrix-trace
                  quendrix50_libretro -j 1
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${Q50_PLAIN_TRACE_DIR}/tools/quendrix-trace
                     ${Q50_PLAIN_TRACE_DIR}/libretro/quendrix50_libretro.so)
endif()
