# The serial layer on the Windows kernel's calls (included by
# src/platform/CMakeLists.txt).
target_sources(comsend_serial PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/devicename.h
    ${CMAKE_CURRENT_LIST_DIR}/dosdevices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dosdevices.h
    ${CMAKE_CURRENT_LIST_DIR}/errortext_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/faults.cpp
    ${CMAKE_CURRENT_LIST_DIR}/faults.h
    ${CMAKE_CURRENT_LIST_DIR}/kernelcalls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/kernelcalls.h
    ${CMAKE_CURRENT_LIST_DIR}/porthints_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portio_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/portio_win32.h
    ${CMAKE_CURRENT_LIST_DIR}/portsend_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/waker_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/waker_win32.h
)
set(serial_os_dir ${CMAKE_CURRENT_LIST_DIR})
