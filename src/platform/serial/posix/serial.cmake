# The serial layer on POSIX termios (included by src/platform/CMakeLists.txt).
target_sources(comsend_serial PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/closeport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closeport.h
    ${CMAKE_CURRENT_LIST_DIR}/errortext_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/linesettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/linesettings.h
    ${CMAKE_CURRENT_LIST_DIR}/machine.h
    ${CMAKE_CURRENT_LIST_DIR}/machine_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/porthandle.h
    ${CMAKE_CURRENT_LIST_DIR}/porthints.h
    ${CMAKE_CURRENT_LIST_DIR}/porthints_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portio_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portio_posix.h
    ${CMAKE_CURRENT_LIST_DIR}/portlist.h
    ${CMAKE_CURRENT_LIST_DIR}/portlist_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portname.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portname.h
    ${CMAKE_CURRENT_LIST_DIR}/portsend_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/replug_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/systemcalls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/systemcalls.h
    ${CMAKE_CURRENT_LIST_DIR}/ttydevice.h
    ${CMAKE_CURRENT_LIST_DIR}/ttydevice_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uniquefd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uniquefd.h
    ${CMAKE_CURRENT_LIST_DIR}/waker_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/waker_posix.h
)
target_link_libraries(comsend_serial PRIVATE comsend_posix)
set(serial_os_dir ${CMAKE_CURRENT_LIST_DIR})
