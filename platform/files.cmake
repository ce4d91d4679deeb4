# Services of the preset browser and the file menu: the file system, file
# dialogs and opening documents through the desktop.
if(WIN32)
  add_library(sorvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/file_system.cpp
  )
else()
  add_library(sorvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/file_system.cpp
  )
endif()
target_include_directories(sorvane_platform_files PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_files PUBLIC sorvane_platform_system PRIVATE sorvane_warnings)
