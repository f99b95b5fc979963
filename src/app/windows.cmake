# The Windows executable (included by src/app/CMakeLists.txt): a GUI
# program whose entry point is WinMain itself, with the runtime's start-up
# in startup_win32.cpp and its resources (icon, version, manifest) in
# comsend.rc.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The icon and the stock buttons' glyphs are drawn from the same XPM images
# the Linux build shows.
set(xpmicons ${PROJECT_SOURCE_DIR}/tools/xpmicons.py)
set(glyphs ${PROJECT_SOURCE_DIR}/src/platform/toolkit/glyphs)
set(icons)
foreach(pair IN ITEMS "ICON|${CMAKE_CURRENT_SOURCE_DIR}/mainicon.xpm" "GLYPH_OK|${glyphs}/ok.xpm"
        "GLYPH_RETRY|${glyphs}/retry.xpm" "GLYPH_ABORT|${glyphs}/abort.xpm")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 name)
    list(GET pair 1 xpm)
    get_filename_component(stem ${xpm} NAME_WE)
    set(ico ${CMAKE_CURRENT_BINARY_DIR}/${stem}.ico)
    set(COMSEND_${name} ${ico})
    add_custom_command(OUTPUT ${ico}
        COMMAND Python3::Interpreter ${xpmicons} ico ${xpm} ${ico}
        DEPENDS ${xpmicons} ${xpm}
        COMMENT "Drawing ${stem}.ico"
        VERBATIM)
    list(APPEND icons ${ico})
endforeach()

set(COMSEND_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(COMSEND_VERSION_MINOR 0)
set(COMSEND_VERSION_PATCH 0)
if(NOT "${PROJECT_VERSION_MINOR}" STREQUAL "")
    set(COMSEND_VERSION_MINOR ${PROJECT_VERSION_MINOR})
endif()
if(NOT "${PROJECT_VERSION_PATCH}" STREQUAL "")
    set(COMSEND_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(COMSEND_VERSION_4 "${COMSEND_VERSION_MAJOR}.${COMSEND_VERSION_MINOR}.${COMSEND_VERSION_PATCH}.0")
set(COMSEND_VERSION_COMMAS "${COMSEND_VERSION_MAJOR},${COMSEND_VERSION_MINOR},${COMSEND_VERSION_PATCH},0")
set(COMSEND_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/comsend.manifest)
configure_file(comsend.manifest.in ${COMSEND_MANIFEST} @ONLY)
configure_file(comsend.rc.in ${CMAKE_CURRENT_BINARY_DIR}/comsend.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/comsend.rc PROPERTIES
    OBJECT_DEPENDS "${icons};${COMSEND_MANIFEST}")

add_executable(comsend WIN32 startup_win32.cpp ${CMAKE_CURRENT_BINARY_DIR}/comsend.rc ${icons})
# The whole library: WinMain is in it, and the C runtime's reference to
# WinMain comes after the libraries on the link line, too late to pull it in.
target_link_libraries(comsend PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,comsend_app>")
# A release carries no symbols: the file is what users download.
target_link_options(comsend PRIVATE $<$<CONFIG:Release>:-s>)

install(TARGETS comsend RUNTIME DESTINATION .)
