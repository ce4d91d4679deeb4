# Operating-system services of the preset layer: the documents folder, the
# editors' settings file, the message box (on POSIX with the helper-program launcher it shares with the
# file dialogs and the shell) and replacing a file in one step. The XDG parser
# is plain text work and is built everywhere so both builds test it.
add_library(sorvane_platform_system STATIC
  ${CMAKE_CURRENT_LIST_DIR}/posix/documents_user_dirs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
)
if(WIN32)
  target_sources(sorvane_platform_system PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/documents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/replace_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/settings_folder.cpp
  )
  target_link_libraries(sorvane_platform_system PRIVATE shell32 user32 ole32 uuid)
else()
  target_sources(sorvane_platform_system PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/posix/child_process.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/documents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/replace_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/settings_folder.cpp
  )
endif()
target_include_directories(sorvane_platform_system PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvane_platform_system PRIVATE sorvane_warnings)

# Test doubles (header-only): scripted answers instead of real boxes.
add_library(sorvane_platform_scripted INTERFACE)
target_include_directories(sorvane_platform_scripted INTERFACE ${PROJECT_SOURCE_DIR})
