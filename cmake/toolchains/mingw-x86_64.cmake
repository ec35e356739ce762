# 64-bit Windows (win64 preset). Tests run under wine64 through cmake/wine-run, which gives
# this build tree its own WINEPREFIX (<build>/wineprefix).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KF_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../wine-run" "--prefix=${CMAKE_BINARY_DIR}/wineprefix")
