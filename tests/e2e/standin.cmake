# The stand-in archiver that ./run puts beside the program for the example settings.
add_executable(standin-archiver WIN32 ${CMAKE_CURRENT_LIST_DIR}/standin_archiver.cpp)
set_target_properties(standin-archiver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
