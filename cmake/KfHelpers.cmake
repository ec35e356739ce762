# Shared build helpers: warnings as errors for our own targets, tests under CTest.
include_guard(GLOBAL)

function(kf_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                             -Wno-error=deprecated-declarations)
  endif()
endfunction()

# kf_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...])
# A GoogleTest executable registered with CTest (one CTest entry per executable,
# so cross-compiled binaries run through CMAKE_CROSSCOMPILING_EMULATOR unchanged).
function(kf_add_test name)
  cmake_parse_arguments(ARG "" "WORKING_DIRECTORY" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kf_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# kf_add_fuzzer(<name> SOURCES ... LIBS ... [CORPUS <seed folder>]): only with KF_FUZZ (clang, libFuzzer).
function(kf_add_fuzzer name)
  if(NOT KF_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  # New inputs go to the first folder named, so the checked-in seeds stay as they are.
  set(work "${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus")
  file(MAKE_DIRECTORY "${work}")
  set(seeds "")
  if(ARG_CORPUS)
    set(seeds "${ARG_CORPUS}")
  endif()
  add_test(NAME ${name}_smoke COMMAND ${name} -max_total_time=20 -rss_limit_mb=2048 "${work}" ${seeds})
  set_tests_properties(${name}_smoke PROPERTIES LABELS "fuzz")
endfunction()
