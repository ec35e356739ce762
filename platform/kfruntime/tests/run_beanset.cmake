# beanproxy on the example bean, then kfrun over every file it lists in ejbproxies.txt.
#   cmake -DBEANPROXY=... -DKFRUN=... -DJDK=... -DCLASSPATH=... -DWORK=... -DSCRIPT=... -P run_beanset.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/jdk.reg"
     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\n\"JDKLocation\"=\"${JDK}\"\n")
set(ENV{KF_REGISTRY_FILE} "${WORK}/jdk.reg")
execute_process(COMMAND "${BEANPROXY}" -classpath "${CLASSPATH}" com.acme.Account n_
                WORKING_DIRECTORY "${WORK}" OUTPUT_QUIET ERROR_QUIET)
if(EXISTS "${WORK}/ejbproxies.err" OR NOT EXISTS "${WORK}/ejbproxies.txt")
  message(FATAL_ERROR "beanproxy did not generate the example bean's proxies")
endif()
file(STRINGS "${WORK}/ejbproxies.txt" listed)
set(sources)
foreach(name IN LISTS listed)
  string(STRIP "${name}" name)
  list(APPEND sources -s "${WORK}/${name}")
endforeach()
list(LENGTH listed count)
execute_process(COMMAND "${KFRUN}" ${sources} "${SCRIPT}" RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(expected "com.acme.Account\ncom.acme.Entry\nn_LimitException object\n")
string(APPEND expected "function getBalance of n_Account is not bound: the proxy object has no call handler\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "kfrun over ${count} generated files: exit ${rc}\n${out}\n${err}")
endif()
message(STATUS "kfrun loaded ${count} generated files")
