cmake_minimum_required(VERSION 3.25)
# Fails when a source of one layer includes a header of a layer above it (or of a
# folder that is no layer). Run by the build for each layer of src/:
#   cmake -DLAYER=tracking -DALLOWED=platform,logging,settings,input -DROOT=src
#         -DSTAMP=file -P CheckLayer.cmake
string(REPLACE "," ";" ALLOWED "${ALLOWED}")
file(GLOB_RECURSE sources "${ROOT}/${LAYER}/*.cpp" "${ROOT}/${LAYER}/*.h")
set(problems "")
foreach(source ${sources})
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[a-z]+/")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([a-z]+)/.*$" "\\1" folder "${line}")
    if(NOT folder STREQUAL LAYER AND NOT folder IN_LIST ALLOWED)
      file(RELATIVE_PATH shown "${ROOT}/.." "${source}")
      string(APPEND problems "\n  ${shown}: ${line}")
    endif()
  endforeach()
endforeach()
if(problems)
  string(REPLACE ";" " " allowed_text "${ALLOWED}")
  message(FATAL_ERROR "src/${LAYER} may include only its own headers and those of the layers below it "
                      "(${allowed_text}):${problems}")
endif()
file(TOUCH "${STAMP}")
