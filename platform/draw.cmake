# Drawing back ends and embedded resources.
#   sorvane_platform_draw: the native back end (GDI on Windows, the software
#   one elsewhere), the software back end on every system, and the resource
#   look-up of the system.
add_library(sorvane_platform_draw STATIC
  ${CMAKE_CURRENT_LIST_DIR}/software/draw_software.cpp
)
if(WIN32)
  target_sources(sorvane_platform_draw PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/draw_gdi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/resources_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/software/draw_text_none.cpp
  )
  # msimg32 is loaded at run time, as old systems may lack it.
  target_link_libraries(sorvane_platform_draw PRIVATE gdi32 user32)
else()
  target_sources(sorvane_platform_draw PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/posix/draw_native.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/resources_table.cpp
  )
  find_package(Freetype)
  if(Freetype_FOUND)
    target_sources(sorvane_platform_draw PRIVATE ${CMAKE_CURRENT_LIST_DIR}/software/draw_text_freetype.cpp)
    target_link_libraries(sorvane_platform_draw PRIVATE Freetype::Freetype)
  else()
    message(WARNING "FreeType not found (libfreetype-dev): the software back end will draw no text")
    target_sources(sorvane_platform_draw PRIVATE ${CMAKE_CURRENT_LIST_DIR}/software/draw_text_none.cpp)
  endif()
endif()
target_include_directories(sorvane_platform_draw PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_draw PRIVATE sorvane_warnings)
