# The Win32 backend of the toolkit (included by src/platform/CMakeLists.txt):
# the system's own controls through USER32, GDI32, COMCTL32 and IMM32, and
# Active Accessibility's annotations through OLE32.
target_sources(comsend_toolkit PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/annotations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/annotations.h
    ${CMAKE_CURRENT_LIST_DIR}/application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controlwindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controlwindows.h
    ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fonts.h
    ${CMAKE_CURRENT_LIST_DIR}/form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/handles.h
    ${CMAKE_CURRENT_LIST_DIR}/messageloop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/messageloop.h
    ${CMAKE_CURRENT_LIST_DIR}/native.h
    ${CMAKE_CURRENT_LIST_DIR}/progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textboxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textboxes.h
    ${CMAKE_CURRENT_LIST_DIR}/textcodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textcodec.h
)
target_link_libraries(comsend_toolkit PRIVATE comctl32 imm32 gdi32 user32 ole32)

# The backend's own view of its objects, for the tests that drive its windows.
add_library(comsend_toolkit_native INTERFACE)
target_include_directories(comsend_toolkit_native INTERFACE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(comsend_toolkit_native INTERFACE comsend_toolkit comctl32 imm32 gdi32 user32 ole32)
