# The solver library calls downward only: none of its sources is a file of
# the command line's layer (src/driver) or includes one of its headers.
#   cmake -DROOT=<source folder> -DSOURCES=<the library's sources, ;-separated> -P layers.cmake
set(faults "")
foreach(source ${SOURCES})
  if(source MATCHES "^src/driver/")
    list(APPEND faults "${source} is compiled into the library")
  endif()
  file(STRINGS "${ROOT}/${source}" lines REGEX "^#include \"driver/")
  foreach(line ${lines})
    list(APPEND faults "${source}: ${line}")
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "the library reaches up into the command line:\n  ${text}")
endif()
