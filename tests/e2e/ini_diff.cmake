# Our INI engine against the platform's own profile functions, on the same tricky files.
add_executable(ini_diff ${CMAKE_CURRENT_LIST_DIR}/ini_diff.cpp ${CMAKE_SOURCE_DIR}/src/win32/wide_text.cpp)
target_link_libraries(ini_diff PRIVATE dslogic)
target_include_directories(ini_diff PRIVATE ${CMAKE_SOURCE_DIR}/tests)

# The shared prefix of the end-to-end tests when they set one up, else Wine's default.
if(DEFINED DS_WINE_ENVIRONMENT)
  set(DS_INI_DIFF_ENVIRONMENT ${DS_WINE_ENVIRONMENT})
else()
  set(DS_INI_DIFF_ENVIRONMENT "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=" "LANG=C.UTF-8")
endif()
add_test(NAME ini_differential
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/ini_diff.sh $<TARGET_FILE:ini_diff> ${CMAKE_BINARY_DIR}/links)
set_tests_properties(ini_differential PROPERTIES ENVIRONMENT "${DS_INI_DIFF_ENVIRONMENT}"
                                                 TIMEOUT 300)
