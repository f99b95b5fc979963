# Cross-builds the Windows program for 32-bit x86 with Debian's mingw-w64.
# The -posix compilers are the ones whose C++ library has std::thread,
# std::mutex and this_thread::sleep_for (the long write sleeps between its
# steps; GoogleTest needs the mutex); linked statically they need no DLL.
#
# No emulator: 32-bit wine is not part of the build machine's setup, so
# this build is compiled and linked, never run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(COMSEND_MINGW_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER ${COMSEND_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${COMSEND_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${COMSEND_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${COMSEND_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
