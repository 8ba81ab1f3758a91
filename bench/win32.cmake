# The floor of the start-up benchmark (bench/wine_startup.sh): the program's platform work
# without its logic, built like the program so that the two compare.
add_executable(floor WIN32 ${CMAKE_CURRENT_LIST_DIR}/floor.cpp ${CMAKE_CURRENT_LIST_DIR}/floor.rc)
target_include_directories(floor PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(floor PRIVATE
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# dslogic: the control table names the form's members and handlers.
target_link_libraries(floor PRIVATE dslogic comctl32 shell32 gdi32 user32 kernel32)
target_link_options(floor PRIVATE -static)
set_target_properties(floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/floor.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/app.ico;${CMAKE_SOURCE_DIR}/res/pwsave.ico;${CMAKE_SOURCE_DIR}/res/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h")
