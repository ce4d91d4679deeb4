# Services of the editor and its toolkit: windows, pop-up menus, the clock.
#   sorvane_platform_ui: the native ones and the bundle that hands them out;
#   the headless window is built everywhere (tests, snapshots, and the
#   editor's window where no window system is built in).
add_library(sorvane_platform_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/headless/headless_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menu/menu_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_scale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_services.cpp
)
if(WIN32)
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/ole.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/popup_menu_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/window_win32.cpp)
  target_link_libraries(sorvane_platform_ui PRIVATE ole32 shell32 user32 gdi32 uuid)
else()
  target_sources(sorvane_platform_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/headless/native_headless.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/ole.cpp)
  # X11 where a display can be reached (headless otherwise, decided at run
  # time); a build without the X11 headers has the headless window only.
  find_package(X11)
  if(X11_FOUND AND X11_Xext_FOUND)
    get_target_property(ui_sources sorvane_platform_ui SOURCES)
    list(REMOVE_ITEM ui_sources ${CMAKE_CURRENT_LIST_DIR}/headless/native_headless.cpp)
    set_target_properties(sorvane_platform_ui PROPERTIES SOURCES "${ui_sources}")
    target_sources(sorvane_platform_ui PRIVATE
      ${CMAKE_CURRENT_LIST_DIR}/x11/x11_support.cpp
      ${CMAKE_CURRENT_LIST_DIR}/x11/x11_window.cpp
      ${CMAKE_CURRENT_LIST_DIR}/x11/popup_menu_x11.cpp
      ${CMAKE_CURRENT_LIST_DIR}/x11/native_x11.cpp)
    target_link_libraries(sorvane_platform_ui PRIVATE X11::X11 X11::Xext)
  else()
    message(WARNING "X11 or Xext not found (libx11-dev, libxext-dev): the Linux editor will have no window")
  endif()
endif()
target_include_directories(sorvane_platform_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_ui PUBLIC sorvane_platform_draw sorvane_platform_system sorvane_platform_files
  PRIVATE sorvane_warnings)
