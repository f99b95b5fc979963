# Cross-builds the Windows program for x86-64 with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(COMSEND_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# 64-bit wine runs the programs this build makes, so ctest can too.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
