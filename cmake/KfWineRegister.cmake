# Registers in-process COM servers in a build tree's Wine prefix (test set-up):
#   cmake "-DEMULATOR=<wine-run>|--prefix=..." "-DDLLS=a.dll|b.dll" -P KfWineRegister.cmake
# (lists separated by "|": a ";" would not survive the test command line)
# Each DLL is named by its full Windows path with backslashes: Wine's regsvr32 looks for a
# DLL's load-time imports beside it only then (with "Z:/..." it fails with exit code 3).
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
string(REPLACE "|" ";" DLLS "${DLLS}")
foreach(dll IN LISTS DLLS)
  string(REPLACE "/" "\\" path "Z:${dll}")
  execute_process(COMMAND ${EMULATOR} regsvr32.exe /s "${path}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "regsvr32 ${path}: exit code ${rc}")
  endif()
  message(STATUS "registered ${path}")
endforeach()
