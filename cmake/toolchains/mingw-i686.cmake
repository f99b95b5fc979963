# Cross-builds the Windows program for 32-bit x86 with Debian's mingw-w64.
# No emulator: 32-bit wine runs only where the machine executes 32-bit x86
# code, and the tests see to that themselves (tests/windows).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(COMSEND_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
