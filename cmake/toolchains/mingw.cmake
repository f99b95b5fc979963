# What both mingw-w64 toolchains share; each sets COMSEND_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers are the ones whose C++
# library has std::thread, std::mutex and this_thread::sleep_for (the long
# write sleeps between its steps; GoogleTest needs the mutex); linked
# statically they need no DLL.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${COMSEND_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${COMSEND_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${COMSEND_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${COMSEND_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
