# Import table checks for Windows DLLs (both Windows lanes; runs on the host, not under Wine).
#
#   include(KfImportCheck)
#   kf_add_import_check(<test name> TARGET <importing dll target> PROVIDER <dll target>
#                       IMPORTS <name>...)
#
# registers a CTest test, labelled "exports", that reads both DLLs with the target's
# objdump -p and fails unless the importer's table names each listed function under the
# provider's file name, spelled exactly as the provider exports it (an x86 stdcall name
# that kept its decoration would not bind at load time).
include_guard(GLOBAL)

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: cmake -DOBJDUMP=... -DIMPORTER=... -DPROVIDER=... -DEXPECTED=a;b -P ...
  cmake_policy(SET CMP0057 NEW) # IN_LIST
  foreach(dll IMPORTER PROVIDER)
    execute_process(COMMAND "${OBJDUMP}" -p "${${dll}}" OUTPUT_VARIABLE dump_${dll}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${OBJDUMP} -p ${${dll}} failed (${rc})")
    endif()
  endforeach()
  get_filename_component(provider_name "${PROVIDER}" NAME)

  # Exports: the names after "[Ordinal/Name Pointer] Table" up to the next blank line.
  set(exports "")
  string(FIND "${dump_PROVIDER}" "[Ordinal/Name Pointer] Table" at)
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${dump_PROVIDER}" ${at} -1 table)
    string(REGEX REPLACE "\n[ \t]*\n.*" "" table "${table}")
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
    foreach(row IN LISTS rows)
      string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
      string(STRIP "${name}" name)
      list(APPEND exports "${name}")
    endforeach()
  endif()

  # Imports from the provider: the rows after "DLL Name: <provider>" up to a blank line.
  set(imports "")
  string(TOLOWER "${dump_IMPORTER}" lower)
  string(TOLOWER "DLL Name: ${provider_name}" key)
  string(FIND "${lower}" "${key}" at)
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${dump_IMPORTER}" ${at} -1 table)
    string(REGEX REPLACE "\n[ \t]*\n.*" "" table "${table}")
    string(REGEX MATCHALL "\n\t[0-9a-fA-F]+\t +[0-9]+ +[^\n]+" rows "${table}")
    foreach(row IN LISTS rows)
      string(REGEX REPLACE "^\n\t[0-9a-fA-F]+\t +[0-9]+ +" "" name "${row}")
      string(STRIP "${name}" name)
      list(APPEND imports "${name}")
    endforeach()
  endif()

  foreach(name IN LISTS EXPECTED)
    if(NOT name IN_LIST imports)
      message(FATAL_ERROR "${IMPORTER} does not import ${name} from ${provider_name}; "
                          "it imports: ${imports}")
    endif()
    if(NOT name IN_LIST exports)
      message(FATAL_ERROR "${provider_name} does not export ${name}; it exports: ${exports}")
    endif()
  endforeach()
  foreach(name IN LISTS imports)
    if(NOT name IN_LIST exports)
      message(FATAL_ERROR "${IMPORTER} imports ${name} from ${provider_name}, "
                          "which exports only: ${exports}")
    endif()
  endforeach()
  message(STATUS "${IMPORTER} imports from ${provider_name}: ${imports}")
  return()
endif()

function(kf_add_import_check name)
  cmake_parse_arguments(ARG "" "TARGET;PROVIDER" "IMPORTS" ${ARGN})
  if(NOT KF_OBJDUMP)
    message(FATAL_ERROR "kf_add_import_check: KF_OBJDUMP is set by the mingw toolchain files")
  endif()
  string(REPLACE ";" "\\;" expected "${ARG_IMPORTS}")
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${KF_OBJDUMP} -DIMPORTER=$<TARGET_FILE:${ARG_TARGET}>
                   -DPROVIDER=$<TARGET_FILE:${ARG_PROVIDER}> "-DEXPECTED=${expected}"
                   -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  set_tests_properties(${name} PROPERTIES LABELS exports)
endfunction()
