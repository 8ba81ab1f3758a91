# The program driven from outside under Wine: a stand-in archiver that records how it was
# started, and a driver that runs one scenario per test.
set(DS_E2E_DIR ${CMAKE_CURRENT_LIST_DIR})

add_executable(recorder WIN32 ${DS_E2E_DIR}/recorder.cpp)
set_target_properties(recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

set(DS_E2E_SCENARIO_SOURCES ${DS_E2E_DIR}/scenarios_startup.cpp ${DS_E2E_DIR}/scenarios_run.cpp
                             ${DS_E2E_DIR}/scenarios_safety.cpp)
add_executable(e2e_driver ${DS_E2E_DIR}/driver.cpp ${DS_E2E_DIR}/support.cpp
                          ${DS_E2E_SCENARIO_SOURCES})
target_include_directories(e2e_driver PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(e2e_driver PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(e2e_driver PRIVATE comctl32 user32 kernel32)
set_target_properties(e2e_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# One Wine prefix for the whole build tree, prepared once by ./test before the tests run.
get_filename_component(DS_DEFAULT_WINEPREFIX ${CMAKE_BINARY_DIR}/../wineprefix ABSOLUTE)
set(DS_WINEPREFIX ${DS_DEFAULT_WINEPREFIX} CACHE PATH "Wine prefix of the end-to-end tests")
set(DS_WINE_ENVIRONMENT
    "WINEPREFIX=${DS_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
    "LANG=C.UTF-8" "LC_ALL=C.UTF-8")

# The scenario names are read from the driver's tables (the "const std::vector<Scenario> k..."
# block of each file), so a new scenario needs no edit here.
set(DS_E2E_SCENARIOS)
foreach(source IN LISTS DS_E2E_SCENARIO_SOURCES)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(FIND "${text}" "const std::vector<Scenario> k" begin)
  string(SUBSTRING "${text}" ${begin} -1 table)
  string(FIND "${table}" "\n};" end)
  string(SUBSTRING "${table}" 0 ${end} table)
  string(REGEX MATCHALL "\n *{\"[a-z0-9_]+\"" rows "${table}")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "\n *{\"([a-z0-9_]+)\"" "\\1" scenario "${row}")
    list(APPEND DS_E2E_SCENARIOS ${scenario})
  endforeach()
endforeach()

foreach(scenario IN LISTS DS_E2E_SCENARIOS)
  add_test(NAME e2e_${scenario}
           COMMAND sh ${DS_E2E_DIR}/run_scenario.sh $<TARGET_FILE:e2e_driver> ${scenario}
                   ${CMAKE_BINARY_DIR}/e2e/${scenario}.log
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_${scenario} PROPERTIES ENVIRONMENT "${DS_WINE_ENVIRONMENT}"
                                                  TIMEOUT 180)
endforeach()
