# libdeflate: Debian's libdeflate-dev for the native builds; for the Windows build, Debian 12's
# source package built with the MinGW compiler under build/ (scripts/libdeflate.sh), once per
# version. Both must be the same version, or the tests would check another compressor than the
# one shipped.
set(DS_LIBDEFLATE_VERSION 1.14)
find_path(DS_NATIVE_LIBDEFLATE_INCLUDE libdeflate.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          NO_DEFAULT_PATH)
if(NOT DS_NATIVE_LIBDEFLATE_INCLUDE)
  message(FATAL_ERROR "libdeflate.h not found: install Debian's libdeflate-dev")
endif()

function(ds_libdeflate_version header result)
  file(STRINGS ${header} line REGEX "^#define LIBDEFLATE_VERSION_STRING")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" version "${line}")
  set(${result} ${version} PARENT_SCOPE)
endfunction()

ds_libdeflate_version(${DS_NATIVE_LIBDEFLATE_INCLUDE}/libdeflate.h native_version)
if(NOT native_version VERSION_EQUAL DS_LIBDEFLATE_VERSION)
  message(FATAL_ERROR "libdeflate-dev is ${native_version}, the Windows build uses ${DS_LIBDEFLATE_VERSION}")
endif()

add_library(libdeflate STATIC IMPORTED)
if(WIN32)
  set(folder ${CMAKE_SOURCE_DIR}/build/libdeflate-${DS_LIBDEFLATE_VERSION}-i686)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/libdeflate.sh ${folder} ${DS_LIBDEFLATE_VERSION}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Building libdeflate ${DS_LIBDEFLATE_VERSION} for Windows failed")
  endif()
  ds_libdeflate_version(${folder}/include/libdeflate.h windows_version)
  if(NOT windows_version VERSION_EQUAL native_version)
    message(FATAL_ERROR "libdeflate differs: ${windows_version} for Windows, ${native_version} natively")
  endif()
  set_target_properties(libdeflate PROPERTIES IMPORTED_LOCATION ${folder}/lib/libdeflate.a
                        INTERFACE_INCLUDE_DIRECTORIES ${folder}/include)
else()
  find_library(DS_LIBDEFLATE_LIBRARY NAMES libdeflate.a deflate REQUIRED)
  set_target_properties(libdeflate PROPERTIES IMPORTED_LOCATION ${DS_LIBDEFLATE_LIBRARY})
endif()
