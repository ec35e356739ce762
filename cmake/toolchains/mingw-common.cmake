# Shared part of the mingw-w64 cross toolchains. The including file sets KF_MINGW_TRIPLET
# (x86_64-w64-mingw32 or i686-w64-mingw32) before including this one.
#
# - The posix thread model (the "-posix" compilers) gives std::thread, std::mutex and
#   friends, which later Windows code and GoogleTest may use.
# - Everything links statically (-static: libgcc, libstdc++ and winpthread), so the .exe
#   and .dll files run under Wine and on a bare Windows without runtime DLLs beside them.
# - Third-party libraries cross-built by scripts/setup live outside the checkout in
#   ${KF_THIRDPARTY_DIR}/<triplet>/<name>-<Debian version>; they are found via
#   CMAKE_FIND_ROOT_PATH (GoogleTest: its GTestConfig.cmake; Xerces-C: its
#   XercesCConfig.cmake or lib/libxerces-c.a with include/).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1) # Windows 7: the oldest API level our code asks for

set(CMAKE_C_COMPILER ${KF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KF_MINGW_TRIPLET}-windres)
set(KF_OBJDUMP ${KF_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump of the target, for export checks")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

if(NOT DEFINED KF_THIRDPARTY_DIR)
  if(DEFINED ENV{KF_THIRDPARTY_DIR})
    set(KF_THIRDPARTY_DIR "$ENV{KF_THIRDPARTY_DIR}")
  else()
    set(KF_THIRDPARTY_DIR "/var/cache/kf-thirdparty")
  endif()
endif()
set(KF_THIRDPARTY_DIR "${KF_THIRDPARTY_DIR}" CACHE PATH "Cache of cross-built third-party libraries")

# The cache key is the Debian version of the source package, as scripts/setup writes it.
function(kf_thirdparty_prefix out name debian_package)
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${debian_package}
                  OUTPUT_VARIABLE v RESULT_VARIABLE rc ERROR_QUIET)
  set(dir "${KF_THIRDPARTY_DIR}/${KF_MINGW_TRIPLET}/${name}-${v}")
  if(rc EQUAL 0 AND IS_DIRECTORY "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

kf_thirdparty_prefix(_kf_gtest_prefix googletest googletest)
if(NOT _kf_gtest_prefix AND NOT _KF_GTEST_NOTE_SHOWN)
  set(_KF_GTEST_NOTE_SHOWN ON)
  message(STATUS "No cross-built GoogleTest for ${KF_MINGW_TRIPLET} in ${KF_THIRDPARTY_DIR}: run scripts/setup")
endif()
kf_thirdparty_prefix(_kf_xerces_prefix xerces-c libxerces-c-dev)
set(CMAKE_FIND_ROOT_PATH /usr/${KF_MINGW_TRIPLET} ${_kf_gtest_prefix} ${_kf_xerces_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
