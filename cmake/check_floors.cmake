# Fails when a file includes a header from a floor above its own, or from a sibling folder on
# its own floor. Run as: cmake -DROOT=<source tree> -P cmake/check_floors.cmake
#
# The floor libraries already refuse such an include when they compile (cmake/Floors.cmake);
# this check also covers what the compiler cannot see: angle-bracket and relative spellings,
# headers no file of the floor compiles yet, and the rules between folders of the top floor.
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_floors.cmake")
endif()

# folder:floor, as docs/architecture.md draws them.
set(floors board:1 host:1 game:2 display:2 input:2 sound:2 sound/mixer:2 shell/core:3
           shell:4 libretro:4 web:4 tools:4 bench:4 fuzz:4)
# What a folder of the top floor may take from its neighbours: the benches measure the desktop
# and the tools, the fuzz targets drive the tools' parsers with the tests' picture makers.
set(reach_bench shell tools)
set(reach_fuzz tools tests)
# What a folder may not take although it lies below: the offline core (q50core) does not link
# the sound output, which needs a real audio device (the software mixer, sound/mixer/, needs
# none and is a folder of its own).
set(shun_shell/core sound)

set(folders "")
foreach(entry ${floors})
  string(REPLACE ":" ";" pair ${entry})
  list(GET pair 0 folder)
  list(GET pair 1 level)
  set(floor_${folder} ${level})
  list(APPEND folders ${folder})
endforeach()

# The folder a path (relative to ROOT, or as an include spells it) belongs to, or "".
function(folder_of path out)
  set(result "")
  if(path MATCHES "^shell/core/")
    set(result shell/core)
  elseif(path MATCHES "^sound/mixer/")
    set(result sound/mixer)
  elseif(path MATCHES "^([^/]+)/")
    set(first ${CMAKE_MATCH_1})
    if(DEFINED floor_${first} OR first STREQUAL "tests")
      set(result ${first})
    endif()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(breaches 0)
set(checked 0)
foreach(top board host game display input sound shell libretro web tools bench fuzz)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.hpp
       ${ROOT}/${top}/*.cpp ${ROOT}/${top}/*.c)
  # The browser edition's npm packages are not ours.
  list(FILTER files EXCLUDE REGEX "/node_modules/")
  foreach(file ${files})
    folder_of(${file} from)
    math(EXPR checked "${checked} + 1")
    set(from_floor ${floor_${from}})
    file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
        continue()
      endif()
      set(header ${CMAKE_MATCH_1})
      if(header MATCHES "(^|/)\\.\\./")
        if(from_floor LESS 4)
          message("${file}: includes ${header}: a floor names its headers from the tree's top")
          math(EXPR breaches "${breaches} + 1")
        endif()
        continue()
      endif()
      folder_of(${header} to)
      if(to STREQUAL "" OR to STREQUAL from)
        continue()
      endif()
      if(to IN_LIST shun_${from})
        message("${file}: includes ${header}: ${from}/ does not use ${to}/")
        math(EXPR breaches "${breaches} + 1")
        continue()
      endif()
      if(DEFINED floor_${to} AND floor_${to} LESS from_floor)
        continue()
      endif()
      if(to IN_LIST reach_${from})
        continue()
      endif()
      if(DEFINED floor_${to})
        set(where "floor ${floor_${to}}")
      else()
        set(where "outside the floors")
      endif()
      message("${file}: includes ${header}: ${from}/ is on floor ${from_floor}, "
              "${to}/ is ${where}")
      math(EXPR breaches "${breaches} + 1")
    endforeach()
  endforeach()
endforeach()

if(breaches GREATER 0)
  message(FATAL_ERROR "${breaches} include(s) break the floors (see docs/architecture.md)")
endif()
message(STATUS "floors: ${checked} files, every include runs downward")
