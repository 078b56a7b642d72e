# Refuses an include that reaches up the layers. Run as
#   cmake -DSOURCE_DIR=<folder holding the layer folders> -DLAYERS="base;platform;..." -P layer_check.cmake
# LAYERS lists the folders lowest first; a file in one of them may include
# "x/..." only when x is its own folder or one listed before it. Headers and
# sources alike are read, so an include that no compiled file reaches yet
# is refused too.
cmake_minimum_required(VERSION 3.20)

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(faults "")
foreach(layer IN LISTS LAYERS)
  list(FIND LAYERS ${layer} own_rank)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][A-Za-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([A-Za-z0-9_]+)/.*$" "\\1" target "${line}")
      list(FIND LAYERS ${target} target_rank)
      if(target_rank GREATER own_rank)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
        string(STRIP "${line}" line)
        list(APPEND faults "  ${name}: ${line} (${layer} lies below ${target})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN LAYERS " < " order)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes that reach up the layers (${order}):\n${text}\n"
                      "Move the shared piece down, or hand it in from above.")
endif()
