# The Qt backend of the toolkit (included by src/platform/CMakeLists.txt):
# Qt Widgets, with the locale's text and the quick exit from POSIX.
target_sources(comsend_toolkit PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmodality.cpp
    ${CMAKE_CURRENT_LIST_DIR}/boxmodality.h
    ${CMAKE_CURRENT_LIST_DIR}/closesignals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/closesignals.h
    ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/glyphs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/glyphs.h
    ${CMAKE_CURRENT_LIST_DIR}/heldtext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/heldtext.h
    ${CMAKE_CURRENT_LIST_DIR}/native.h
    ${CMAKE_CURRENT_LIST_DIR}/progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recallkeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textcodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textcodec.h
)
target_link_libraries(comsend_toolkit PRIVATE Qt6::Widgets comsend_posix)

# The backend's own view of its objects, for the tests that drive its widgets.
add_library(comsend_toolkit_native INTERFACE)
target_include_directories(comsend_toolkit_native INTERFACE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(comsend_toolkit_native INTERFACE comsend_toolkit Qt6::Widgets)
