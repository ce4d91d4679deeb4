# Services of the editor and its toolkit: windows, pop-up menus, the clock.
#   sorvane_platform_ui: the native ones and the bundle that hands them out;
#   the headless window is built everywhere (tests, snapshots, and the
#   editor's window where no window system is built in). The host window
#   (tools and window tests play the host with it) lives here too.
add_library(sorvane_platform_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/headless/headless_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_services.cpp
)
if(WIN32)
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/host_window_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/ole.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/popup_menu_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/window_win32.cpp)
  target_link_libraries(sorvane_platform_ui PRIVATE ole32 shell32 user32 gdi32 uuid)
else()
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/headless/native_headless.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/ole.cpp)
endif()
target_include_directories(sorvane_platform_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_ui PUBLIC sorvane_platform_draw sorvane_platform_system sorvane_platform_files
  PRIVATE sorvane_warnings)

# What the Windows window tests ask of the system (window facts, menus and
# dialogs answered from a watchdog thread, drops): test support only.
if(WIN32)
  add_library(sorvane_platform_win32_probe STATIC ${CMAKE_CURRENT_LIST_DIR}/win32/window_probe.cpp)
  target_include_directories(sorvane_platform_win32_probe PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(sorvane_platform_win32_probe PRIVATE ole32 shell32 user32 uuid sorvane_warnings)
endif()
