# Services of the editor and its toolkit: windows, pop-up menus, the clock.
#   sorvane_platform_ui: the native ones and the bundle that hands them out;
#   the headless window is built everywhere (tests, snapshots, and the
#   editor's window where no window system is built in).
add_library(sorvane_platform_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/headless/headless_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless/native_headless.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_services.cpp
)
if(WIN32)
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/ole.cpp)
  target_link_libraries(sorvane_platform_ui PRIVATE ole32)
else()
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/posix/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/ole.cpp)
endif()
target_include_directories(sorvane_platform_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_ui PUBLIC sorvane_platform_draw sorvane_platform_system sorvane_platform_files
  PRIVATE sorvane_warnings)
