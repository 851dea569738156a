# Fails when a folder includes a header of a folder above it, or of a sibling
# on its own level. Run by ctest: cmake -DROOT=<source tree> -P CheckLayers.cmake
#
# From the bottom: platform/rtl; platform/classes and platform/graphics;
# platform/win; platform/forms; platform/net; settings and components;
# dialup; dialogs; editor and agent.
set(levels
  "platform/rtl"
  "platform/classes|platform/graphics"
  "platform/win"
  "platform/forms"
  "platform/net"
  "settings|components"
  "dialup"
  "dialogs"
  "editor|agent")

set(level 0)
set(folders "")
foreach(group IN LISTS levels)
  string(REPLACE "|" ";" members "${group}")
  foreach(folder IN LISTS members)
    set(level_of_${folder} ${level})
    list(APPEND folders ${folder})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()

# The folder a path inside the tree belongs to, or "" when it is none of ours.
function(folder_of path out)
  set(result "")
  foreach(folder IN LISTS folders)
    string(FIND "${path}" "${folder}/" at)
    if(at EQUAL 0)
      set(result ${folder})
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(faults "")
foreach(folder IN LISTS folders)
  file(GLOB sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" header "${line}")
      folder_of("${header}" target)
      if(target STREQUAL "" OR target STREQUAL folder)
        continue()
      endif()
      if(NOT level_of_${target} LESS level_of_${folder})
        list(APPEND faults "${source} includes ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes that run up the layers:\n  ${text}")
endif()
message(STATUS "Every include runs down the layers.")
