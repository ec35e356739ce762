# 32-bit Windows (win32 preset): the modules the 32-bit IDE loads. Built and their export
# tables checked; nothing runs, as there is no 32-bit Wine here. Without an emulator, only
# tests whose command is a host program (CMake scripts, objdump) are registered.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(KF_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
