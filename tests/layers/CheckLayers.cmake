# Fails when a folder includes a header of a folder above it, or of a sibling
# on its own level. Run by ctest: cmake -DROOT=<source tree> -P CheckLayers.cmake
#
# From the bottom: platform/rtl; platform/classes and platform/graphics;
# platform/desktop; platform/win; platform/forms; platform/net; settings and
# components; dialup; dialogs; editor and agent. Siblings are joined by "|".
# A sibling may be a chain of rooms joined by ">", each above the one before
# it: the component library's rooms, and its start and end above them all.
set(levels
  "platform/rtl"
  "platform/classes|platform/graphics"
  "platform/desktop"
  "platform/win"
  "platform/forms"
  "platform/net"
  "settings|components/foundation>components/drawing>components/containers>components/controls>components"
  "dialup"
  "dialogs"
  "editor|agent")

set(level 0)
set(chain 0)
set(folders "")
foreach(group IN LISTS levels)
  string(REPLACE "|" ";" members "${group}")
  foreach(member IN LISTS members)
    string(REPLACE ">" ";" rooms "${member}")
    set(position 0)
    foreach(folder IN LISTS rooms)
      set(level_of_${folder} ${level})
      set(chain_of_${folder} ${chain})
      set(position_of_${folder} ${position})
      list(APPEND folders ${folder})
      math(EXPR position "${position} + 1")
    endforeach()
    math(EXPR chain "${chain} + 1")
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()

# The folder a path inside the tree belongs to, the innermost when folders
# nest (components/drawing/ before components/), or "" when it is none of ours.
function(folder_of path out)
  set(result "")
  set(longest 0)
  foreach(folder IN LISTS folders)
    string(FIND "${path}" "${folder}/" at)
    string(LENGTH "${folder}" length)
    if(at EQUAL 0 AND length GREATER longest)
      set(result ${folder})
      set(longest ${length})
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(faults "")
set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  if(NOT sources)
    list(APPEND faults "${folder} holds no sources: the list above names a folder that is gone")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" header "${line}")
      folder_of("${header}" target)
      if(target STREQUAL "" OR target STREQUAL folder)
        continue()
      endif()
      math(EXPR checked "${checked} + 1")
      if(level_of_${target} LESS level_of_${folder})
        continue()
      endif()
      if(level_of_${target} EQUAL level_of_${folder} AND chain_of_${target} EQUAL chain_of_${folder}
         AND position_of_${target} LESS position_of_${folder})
        continue()
      endif()
      list(APPEND faults "${source} includes ${header}")
    endforeach()
  endforeach()
endforeach()

# Every source folder of the tree is in the list, so a new one is checked too.
foreach(top IN ITEMS platform components)
  file(GLOB children LIST_DIRECTORIES true RELATIVE "${ROOT}" "${ROOT}/${top}/*")
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${ROOT}/${child}" AND NOT DEFINED level_of_${child})
      list(APPEND faults "${child} is in no layer")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes that run up the layers, or folders the layers miss:\n  ${text}")
endif()
message(STATUS "Every include runs down the layers (${checked} includes between folders).")
