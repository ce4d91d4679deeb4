# Services of the preset browser and the file menu: the file system, file
# dialogs and opening documents through the desktop.
if(WIN32)
  add_library(sorvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/file_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/shell.cpp
  )
  target_link_libraries(sorvane_platform_files PRIVATE comdlg32 shell32)
else()
  # The dialogs and the opener are helper programs started at run time; the
  # launcher lives in sorvane_platform_system beside the message box.
  add_library(sorvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/file_system.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/file_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/shell.cpp
  )
endif()
target_include_directories(sorvane_platform_files PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_files PUBLIC sorvane_platform_system PRIVATE sorvane_warnings)
