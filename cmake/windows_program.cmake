# What every Windows program of the project shares in its build.

# The compile settings of the project's Win32 code.
function(ds_win32_definitions target)
  target_compile_definitions(${target} PRIVATE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endfunction()

# A program linked statically into the build folder's top, which must run on a bare Windows:
# after each link it is checked to import Windows' own DLLs only.
find_program(DS_OBJDUMP NAMES i686-w64-mingw32-objdump REQUIRED)
function(ds_windows_program target)
  ds_win32_definitions(${target})
  target_link_options(${target} PRIVATE -static)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${DS_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake
    VERBATIM)
endfunction()

# The message table of messages.mc beside the calling CMakeLists, compiled into `target`, so
# that the event log shows the program's entries with their text.
find_program(DS_WINDMC NAMES i686-w64-mingw32-windmc REQUIRED)
function(ds_message_table target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/messages)
  set(mc ${CMAKE_CURRENT_SOURCE_DIR}/messages.mc)
  add_custom_command(OUTPUT ${out}/messages.rc ${out}/MSG00409.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${DS_WINDMC} -h ${out} -r ${out} ${mc}
    DEPENDS ${mc}
    VERBATIM)
  set_source_files_properties(${out}/messages.rc PROPERTIES GENERATED TRUE
    OBJECT_DEPENDS ${out}/MSG00409.bin)
  target_sources(${target} PRIVATE ${out}/messages.rc)
  target_include_directories(${target} PRIVATE ${out})
endfunction()
