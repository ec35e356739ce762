# Runs kfrun once and checks its exit code, its output (against a file, line ends
# normalised) and its error text (a regular expression).
#   cmake -DKFRUN=... [-DEMULATOR=a|b] -DARGS=a|b|c -DRC=n [-DOUT=file] [-DERR=regex] -P run_kfrun.cmake
string(REPLACE "|" ";" args "${ARGS}")
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${KFRUN} ${args}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")
if(NOT rc STREQUAL "${RC}")
  message(FATAL_ERROR "exit code ${rc}, expected ${RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED OUT)
  file(READ "${OUT}" expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "stdout differs from ${OUT}:\n${out}")
  endif()
endif()
if(DEFINED ERR AND NOT err MATCHES "${ERR}")
  message(FATAL_ERROR "stderr does not match '${ERR}':\n${err}")
endif()
