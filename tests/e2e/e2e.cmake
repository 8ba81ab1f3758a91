# The program driven from outside under Wine: a stand-in archiver that records how it was
# started, and a driver that runs one scenario per test.
set(DS_E2E_DIR ${CMAKE_CURRENT_LIST_DIR})

add_executable(recorder WIN32 ${DS_E2E_DIR}/recorder.cpp)
set_target_properties(recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

set(DS_E2E_SCENARIO_SOURCES ${DS_E2E_DIR}/scenarios_startup.cpp ${DS_E2E_DIR}/scenarios_run.cpp
                             ${DS_E2E_DIR}/scenarios_safety.cpp ${DS_E2E_DIR}/scenarios_window.cpp)
add_executable(e2e_driver ${DS_E2E_DIR}/driver.cpp ${DS_E2E_DIR}/support.cpp
                          ${DS_E2E_SCENARIO_SOURCES})
target_include_directories(e2e_driver PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(e2e_driver PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601)
# The control table names the form's members and handlers.
target_link_libraries(e2e_driver PRIVATE dslogic comctl32 user32 kernel32)
set_target_properties(e2e_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# One Wine prefix for the whole build tree, prepared once by ./test before the tests run.
get_filename_component(DS_DEFAULT_WINEPREFIX ${CMAKE_BINARY_DIR}/../wineprefix ABSOLUTE)
set(DS_WINEPREFIX ${DS_DEFAULT_WINEPREFIX} CACHE PATH "Wine prefix of the end-to-end tests")
set(DS_WINE_ENVIRONMENT
    "WINEPREFIX=${DS_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
    "LANG=C.UTF-8" "LC_ALL=C.UTF-8")

# Every scenario of the driver, by name; `e2e_driver.exe --list` prints what it knows.
set(DS_E2E_SCENARIOS
    # scenarios_startup.cpp
    version_missing version_2 version_3a version_0x3 layout jobs_0 jobs_3 jobs_8
    switch_dir_1 switch_dir_9 switch_dir_negative switch_pfad_1 switch_pfad_2 switch_diff
    switch_diff_1 switch_nostop switch_datum_minus7 switch_datum_g switch_gogo switch_several
    switch_dir_bad switch_datum_bad_go esc_ends close_box startzeit_morgen startzeit_bad_date startzeit_bad_time
    badini_random badini_10mb badini_longline badini_folder badini_readonly
    # scenarios_run.cpp
    go_once go_twice go_existing_files go_nostop go_wait go_move_diff_rar go_no_job go_bad_template
    go_readonly enter_starts schedule_toggle deferred_armed deferred_run password_save
    password_mismatch
    # scenarios_safety.cpp
    concurrent_starts odd_folder_names password_characters look_alike_switch held_settings_file
    command_line_limit
    # scenarios_window.cpp (the dpi_* ones below)
    tab_order pwsave_named)
set(DS_E2E_DPIS 96 120 144 192)

foreach(scenario IN LISTS DS_E2E_SCENARIOS)
  add_test(NAME e2e_${scenario}
           COMMAND sh ${DS_E2E_DIR}/run_scenario.sh $<TARGET_FILE:e2e_driver> ${scenario}
                   ${CMAKE_BINARY_DIR}/e2e/${scenario}.log
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_${scenario} PROPERTIES ENVIRONMENT "${DS_WINE_ENVIRONMENT}"
                                                  TIMEOUT 180)
endforeach()
# Tab walks the focus, which another test's window coming up on the same desktop would take.
set_tests_properties(e2e_tab_order PROPERTIES RUN_SERIAL TRUE)

# The window at each display scale. The scale is the Wine prefix's, so these run alone; each
# leaves a screenshot in e2e/screenshots.
foreach(dpi IN LISTS DS_E2E_DPIS)
  add_test(NAME e2e_dpi_${dpi}
           COMMAND sh ${DS_E2E_DIR}/run_dpi.sh $<TARGET_FILE:e2e_driver> ${dpi}
                   ${CMAKE_BINARY_DIR}/e2e
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_dpi_${dpi} PROPERTIES ENVIRONMENT "${DS_WINE_ENVIRONMENT}"
                                                 TIMEOUT 180 RUN_SERIAL TRUE)
endforeach()
