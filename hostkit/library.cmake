# Loading shared libraries and isolating calls into them.
if(WIN32)
  add_library(sorvane_hostkit_library STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/library_loadlibrary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/library_isolation.cpp)
else()
  add_library(sorvane_hostkit_library STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/library_dlopen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/library_isolation.cpp)
  target_link_libraries(sorvane_hostkit_library PUBLIC ${CMAKE_DL_LIBS})
endif()
target_sources(sorvane_hostkit_library PRIVATE ${CMAKE_CURRENT_LIST_DIR}/library.cpp)
target_include_directories(sorvane_hostkit_library PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_hostkit_library PRIVATE sorvane_warnings)
