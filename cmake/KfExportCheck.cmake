# Export table checks for Windows DLLs (both Windows lanes; runs on the host, not under Wine).
#
#   include(KfExportCheck)
#   kf_add_export_check(<test name> TARGET <dll target> EXPORTS <name>...)
#
# registers a CTest test, labelled "exports", that reads the DLL's export table with the
# target's objdump -p and fails unless the exported names are exactly the ones listed
# (order does not matter). The win32 test preset runs only tests with this label.
include_guard(GLOBAL)

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: cmake -DOBJDUMP=... -DDLL=... -DEXPECTED=a;b -P KfExportCheck.cmake
  execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${rc})")
  endif()
  # The names follow "[Ordinal/Name Pointer] Table" up to the next blank line.
  string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
  set(names "")
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${dump}" ${at} -1 table)
    string(REGEX REPLACE "\n[ \t]*\n.*" "" table "${table}")
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
    foreach(row IN LISTS rows)
      string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
      string(STRIP "${name}" name)
      list(APPEND names "${name}")
    endforeach()
  endif()
  list(SORT names)
  set(want ${EXPECTED})
  list(SORT want)
  if(NOT names STREQUAL want)
    message(FATAL_ERROR "exports of ${DLL}:\n  found:    ${names}\n  expected: ${want}")
  endif()
  message(STATUS "exports of ${DLL}: ${names}")
  return()
endif()

function(kf_add_export_check name)
  cmake_parse_arguments(ARG "" "TARGET" "EXPORTS" ${ARGN})
  if(NOT KF_OBJDUMP)
    message(FATAL_ERROR "kf_add_export_check: KF_OBJDUMP is set by the mingw toolchain files")
  endif()
  string(REPLACE ";" "\\;" expected "${ARG_EXPORTS}")
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${KF_OBJDUMP} -DDLL=$<TARGET_FILE:${ARG_TARGET}>
                   "-DEXPECTED=${expected}" -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set_tests_properties(${name} PROPERTIES LABELS exports)
endfunction()
