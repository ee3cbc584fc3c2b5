# Fails when a source folder of the engine includes a folder above it, or Qt.
# Each folder may include itself and the folders listed for it; the engine
# table that ties verify, rewrap and export together is composed by cli/ and
# ui/, so engine/ sees none of them, and export (bwf/) never reaches into the
# rewrap.
#   cmake -DSOURCE_DIR=<repo> -P include_layout.cmake
set(allowed_platform platform)
set(allowed_timecode timecode platform)
set(allowed_resources resources)
set(allowed_engine engine platform resources timecode)
set(allowed_verify verify engine platform resources timecode)
set(allowed_bwf bwf engine platform resources timecode)
set(allowed_rewrap rewrap bwf verify engine platform resources timecode)
set(allowed_loudness loudness bwf engine platform resources timecode)

set(faults "")
foreach(folder platform timecode resources engine verify bwf rewrap loudness)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include ")
    foreach(line ${includes})
      if(line MATCHES "^#include \"([a-z0-9_]+)/")
        list(FIND allowed_${folder} ${CMAKE_MATCH_1} at)
        if(at EQUAL -1)
          string(APPEND faults "\n  ${source}: ${line}")
        endif()
      elseif(line MATCHES "^#include <Q")
        string(APPEND faults "\n  ${source}: ${line} (no Qt in the engine)")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes pointing upward:${faults}")
endif()
