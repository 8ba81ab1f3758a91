# No include arrow goes back up a floor and none goes sideways between programs: the ZIP library
# includes nothing above it, the engine nothing of the programs over it, and no program another
# program's headers. A row: a folder of src, then the folders it must not include from.
#   cmake -DSOURCE_DIR=<repository> -P layers.cmake
set(rows
  "zip engine dszip restore_window window_logic win32 app settings"
  "engine dszip restore_window window_logic win32 app settings"
  "dszip restore_window window_logic win32 app"
  "restore_window dszip window_logic win32 app")
set(found "")
foreach(row IN LISTS rows)
  string(REPLACE " " ";" row "${row}")
  list(POP_FRONT row folder)
  list(JOIN row "|" above)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/src/${folder}/*.h ${SOURCE_DIR}/src/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"(${above})/")
    foreach(include IN LISTS includes)
      file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
      list(APPEND found "${name}: ${include}")
    endforeach()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n" text)
  message(FATAL_ERROR "includes from a floor above or from another program:\n${text}")
endif()
