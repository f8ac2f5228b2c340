# The toolkit-free floors of the source tree, one static library each.
#
# A floor's library gets one include root of its own, in the build folder, that holds a link to
# its folder and nothing else. Its users see that root through the link, so a file sees exactly
# its own folder and the folders of the libraries it links: an include that runs up a floor,
# or across to a sibling, does not compile. The whole tree is an include root only for the top
# floor (the desktop, the tools, the benches, the fuzz targets and the tests).
#
#   q50_floor_library(TARGET FOLDER folder SOURCES a.cpp ... [BELOW lib ...] [LIBRARIES lib ...])
#
# BELOW names the floor libraries it stands on, LIBRARIES the outside ones. Every .cpp file in
# the folder must be listed, so that a file added without its line fails here, at configure
# time, rather than later as a missing symbol.
function(q50_floor_library target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FOLDER" "SOURCES;BELOW;LIBRARIES")
  q50_require_listed(${arg_FOLDER} ${target} ${arg_SOURCES})

  set(root ${CMAKE_BINARY_DIR}/floors/${target})
  get_filename_component(parent ${root}/${arg_FOLDER} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${arg_FOLDER} SYMBOLIC)

  add_library(${target} STATIC ${arg_SOURCES})
  # Position-independent, so that a front end can be a shared library (the RetroArch core).
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  q50_compile_units(${target})
  q50_optimize_when_sanitized(${target})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${arg_BELOW} ${arg_LIBRARIES})
endfunction()

# Compiles the files of a library or tool together, up to Q50_UNITY_GROUP of them as one unit
# (a unity build): the headers every file parses again (the standard library, Qt) are then
# parsed once per unit, which roughly halves a fresh build. Names in one file's anonymous
# namespace must therefore differ from those of the other files of its target; a helper two
# files need goes in a header. Q50_UNITY=OFF compiles file by file.
function(q50_compile_units target)
  if(Q50_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON
      UNITY_BUILD_BATCH_SIZE ${Q50_UNITY_GROUP})
  endif()
endfunction()

# A sanitized build runs the floors' code slowly at -O0, and most of its tests' time is spent in
# it (frames painted pixel by pixel, games played for minutes of device time). With
# Q50_SANITIZE_O1 that code is compiled at -O1, the level the sanitizers' authors advise for a
# usable speed; their checks stay in, and the tests' own files stay at the build's level.
function(q50_optimize_when_sanitized target)
  if(Q50_SANITIZE AND Q50_SANITIZE_O1)
    target_compile_options(${target} PRIVATE -O1)
  endif()
endfunction()

# Stops the configuration when a .cpp file of the current folder is not among the given
# sources (main.cpp excepted, it makes a program rather than the library).
function(q50_require_listed folder target)
  file(GLOB present RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(file ${present})
    if(NOT file IN_LIST ARGN AND NOT file STREQUAL "main.cpp")
      message(FATAL_ERROR "${folder}/${file} is not listed in ${folder}/CMakeLists.txt "
                          "(the sources of ${target})")
    endif()
  endforeach()
endfunction()
