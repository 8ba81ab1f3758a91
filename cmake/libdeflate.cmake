# libdeflate: Debian's libdeflate-dev for the native builds; for the cross-built Windows program,
# Debian 12's source package built with the MinGW compiler under build/ (scripts/libdeflate.sh),
# once per version. Both must be this version, or the tests would check another compressor than
# the one shipped.
set(DS_LIBDEFLATE_VERSION 1.14)

function(ds_check_libdeflate_version header what)
  file(STRINGS ${header} line REGEX "^#define LIBDEFLATE_VERSION_STRING")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" version "${line}")
  if(NOT version VERSION_EQUAL DS_LIBDEFLATE_VERSION)
    message(FATAL_ERROR "libdeflate ${version} (${what}), but the builds use ${DS_LIBDEFLATE_VERSION}")
  endif()
endfunction()

add_library(libdeflate STATIC IMPORTED)
if(CMAKE_CROSSCOMPILING)
  set(folder ${CMAKE_SOURCE_DIR}/build/libdeflate-${DS_LIBDEFLATE_VERSION}-i686)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/libdeflate.sh ${folder} ${DS_LIBDEFLATE_VERSION}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Building libdeflate ${DS_LIBDEFLATE_VERSION} for Windows failed")
  endif()
  ds_check_libdeflate_version(${folder}/include/libdeflate.h "built for Windows")
  # The native tests' libdeflate, which the machine's own compiler finds there.
  if(EXISTS /usr/include/libdeflate.h)
    ds_check_libdeflate_version(/usr/include/libdeflate.h "libdeflate-dev")
  endif()
  set_target_properties(libdeflate PROPERTIES IMPORTED_LOCATION ${folder}/lib/libdeflate.a
                        INTERFACE_INCLUDE_DIRECTORIES ${folder}/include)
  # Its licence, which must go with every copy of the programs: the packages ship it.
  file(READ ${folder}/COPYING DS_LIBDEFLATE_COPYING)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/Lizenzen.txt.in ${CMAKE_BINARY_DIR}/Lizenzen.txt @ONLY)
else()
  find_path(DS_LIBDEFLATE_INCLUDE libdeflate.h REQUIRED)
  find_library(DS_LIBDEFLATE_LIBRARY NAMES libdeflate.a deflate REQUIRED)
  ds_check_libdeflate_version(${DS_LIBDEFLATE_INCLUDE}/libdeflate.h "libdeflate-dev")
  set_target_properties(libdeflate PROPERTIES IMPORTED_LOCATION ${DS_LIBDEFLATE_LIBRARY})
  if(NOT DS_LIBDEFLATE_INCLUDE STREQUAL "/usr/include")
    set_target_properties(libdeflate PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${DS_LIBDEFLATE_INCLUDE})
  endif()
endif()
