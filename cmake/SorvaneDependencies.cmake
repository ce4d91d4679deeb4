# Checks a built plug-in or tool binary (run as a test, in script mode):
#   cmake -DBINARY=file -DKIND=pe|elf -DEXPORTS=a,b [-DOBJDUMP=tool | -DNM=tool] -P <this file>
# PE: imports only DLLs that every Windows has, and exports EXPORTS.
# ELF: exports EXPORTS.
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
function(_sorvane_check_binary)
  if(NOT EXISTS "${BINARY}")
    message(FATAL_ERROR "${BINARY} does not exist")
  endif()
  string(REPLACE "," ";" EXPORTS "${EXPORTS}")
  set(problems "")
  if(KIND STREQUAL "pe")
    execute_process(COMMAND ${OBJDUMP} -p ${BINARY}
      OUTPUT_VARIABLE dump RESULT_VARIABLE failed ERROR_VARIABLE err)
    if(failed)
      message(FATAL_ERROR "${OBJDUMP} -p ${BINARY} failed: ${err}")
    endif()
    # Shipped with Windows itself; anything else (libstdc++-6, libgcc_s_seh-1,
    # libwinpthread-1, zlib1, libpng16...) would have to be installed beside us.
    set(system_dlls kernel32 user32 gdi32 msvcrt advapi32 shell32 ole32 oleaut32
      comdlg32 comctl32 shlwapi msimg32 winmm uxtheme dwmapi version imm32 gdiplus
      ws2_32 bcrypt ntdll usp10 uuid)
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
    set(names "")
    foreach(line IN LISTS imports)
      string(REGEX REPLACE "^DLL Name: *([^ \t]+).*$" "\\1" dll "${line}")
      list(APPEND names ${dll})
      string(TOLOWER "${dll}" lower)
      string(REGEX REPLACE "\\.dll$" "" lower "${lower}")
      if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-")
        string(APPEND problems "  imports ${dll}, which is not a Windows system DLL\n")
      endif()
    endforeach()
    # The export table lists "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
    set(exported "")
    string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
    if(at GREATER -1)
      string(SUBSTRING "${dump}" ${at} -1 table)
      string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" entries "${table}")
      foreach(entry IN LISTS entries)
        string(REGEX REPLACE "^.*\\] " "" name "${entry}")
        list(APPEND exported ${name})
      endforeach()
    endif()
    message(STATUS "${BINARY}: imports ${names}")
  elseif(KIND STREQUAL "elf")
    execute_process(COMMAND ${NM} -D --defined-only ${BINARY}
      OUTPUT_VARIABLE dump RESULT_VARIABLE failed ERROR_VARIABLE err)
    if(failed)
      message(FATAL_ERROR "${NM} -D ${BINARY} failed: ${err}")
    endif()
    string(REGEX MATCHALL "[ \t][TtWiDR] [A-Za-z_][A-Za-z0-9_@.]*" entries "${dump}")
    set(exported "")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE "^.* " "" name "${entry}")
      list(APPEND exported ${name})
    endforeach()
  else()
    message(FATAL_ERROR "KIND must be pe or elf, not '${KIND}'")
  endif()
  foreach(name IN LISTS EXPORTS)
    if(NOT name IN_LIST exported)
      string(APPEND problems "  does not export ${name}\n")
    endif()
  endforeach()
  if(problems)
    message(FATAL_ERROR "${BINARY}:\n${problems}")
  endif()
  if(EXPORTS)
    message(STATUS "${BINARY}: exports ${EXPORTS}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  _sorvane_check_binary()
  return()
endif()

# GoogleTest: Debian's packaged build natively, its sources for the cross build.
if(SORVANE_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
    find_package(benchmark QUIET)
  endif()
  include(GoogleTest)
endif()

# Test programs: one helper so every folder's tests are registered alike,
# and the Windows ones run through the emulator (Wine) set by the toolchain.
#   sorvane_add_test(name SOURCES ... LIBS ... [LABELS label...])
# LABELS go on every test of the program (ctest -L selects them).
# The editors' settings of every test live in the build tree, never in the
# user's own (Wine reaches the build tree through its Z: drive).
if(CMAKE_CROSSCOMPILING)
  set(SORVANE_TEST_SETTINGS_DIR "Z:${CMAKE_BINARY_DIR}/test-settings")
else()
  set(SORVANE_TEST_SETTINGS_DIR "${CMAKE_BINARY_DIR}/test-settings")
endif()
function(sorvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main sorvane_warnings)
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${name} PRIVATE -static)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # One Wine start per program: listing each case would start Wine hundreds of times.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "SORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;WINEDEBUG=-all;SORVANE_SETTINGS_DIR=${SORVANE_TEST_SETTINGS_DIR}")
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "SORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;SORVANE_SETTINGS_DIR=${SORVANE_TEST_SETTINGS_DIR}")
    if(T_LABELS)
      # The discovered tests exist only once ctest has read the discovery's
      # script, which leaves their names in ${name}_TESTS; a script read after
      # it labels them (the discovery's PROPERTIES would flatten a list).
      set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
      file(WRITE ${script} "if(${name}_TESTS)\n"
        "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\nendif()\n")
      set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
    endif()
  endif()
endfunction()

# Tells a test program where the built plug-in libraries are, as the program
# itself sees them (Wine reaches the build tree through its Z: drive).
function(sorvane_plugin_dir_definitions target)
  if(CMAKE_CROSSCOMPILING)
    set(plugin_dir "Z:${SORVANE_PLUGIN_DIR}")
    string(REPLACE "/" "\\\\" plugin_dir "${plugin_dir}")
  else()
    set(plugin_dir "${SORVANE_PLUGIN_DIR}")
  endif()
  target_compile_definitions(${target} PRIVATE
    SORVANE_PLUGIN_DIR="${plugin_dir}" SORVANE_PLUGIN_SUFFIX="${CMAKE_SHARED_MODULE_SUFFIX}")
endfunction()

# Window tests: a real window, on a virtual X display of the test's own
# (xvfb-run -a picks a free one; no test ever uses a display it did not
# start), label "window", one ctest test per program. Windows programs run
# under Wine with that display. Without xvfb-run the test fails: it never skips.
find_program(SORVANE_XVFB_RUN xvfb-run)
# -noreset: a server resets when its last client goes and refuses
# connections meanwhile, so a program that opens a second connection right
# after closing its first (probing for a display, say) would find none.
# The screen holds the larger editor at 200 % (1342 pixels wide) whole, so
# every pixel of it can be read back.
set(SORVANE_XVFB_SERVER_ARGS "-screen 0 1600x1200x24 -noreset")
function(sorvane_add_window_test name)
  cmake_parse_arguments(T "" "WINEPREFIX" "SOURCES;LIBS" ${ARGN})
  if(NOT T_WINEPREFIX)
    set(T_WINEPREFIX ${SORVANE_WINEPREFIX})
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main sorvane_warnings)
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${name} PRIVATE -static)
    set(run env WINEDEBUG=-all WINEPREFIX=${T_WINEPREFIX} "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe="
      wine $<TARGET_FILE:${name}>)
  else()
    set(run $<TARGET_FILE:${name}>)
  endif()
  if(SORVANE_XVFB_RUN)
    add_test(NAME ${name} COMMAND ${SORVANE_XVFB_RUN} -a -s "${SORVANE_XVFB_SERVER_ARGS}" ${run})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo 'xvfb-run not found (Debian package xvfb): window tests cannot run' >&2; exit 1")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS window TIMEOUT 600 RESOURCE_LOCK ${SORVANE_WINDOW_TEST_LOCK}
    ENVIRONMENT "SORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;SORVANE_SETTINGS_DIR=${SORVANE_TEST_SETTINGS_DIR}")
endfunction()
# Window tests take turns: xvfb-run -a looks for a free display number
# without reserving it, so two starting together can pick the same one and
# one of them finds no display; under Wine, one Wine server serves the window
# prefix, and its desktop lives on the display of the program that started it.
# Other tests that start a display take this lock too.
set(SORVANE_WINDOW_TEST_LOCK sorvane_virtual_display)

# Once every folder is read: the products' own target, a list of what was
# built (scripts/main.sh reads it), and checks of each shipped binary.
function(_sorvane_finish)
  set(plugins "")
  foreach(product Tessaro Pallido)
    if(TARGET ${product})
      list(APPEND plugins ${product})
    endif()
  endforeach()
  set(host "")
  if(TARGET sorvane-host)
    set(host sorvane-host)
  endif()

  add_custom_target(sorvane_products)
  if(plugins OR host)
    add_dependencies(sorvane_products ${plugins} ${host})
  endif()
  set(manifest "")
  foreach(target IN LISTS plugins)
    string(APPEND manifest "plugin $<TARGET_FILE:${target}>\n")
  endforeach()
  if(host)
    string(APPEND manifest "host $<TARGET_FILE:${host}>\n")
  endif()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/sorvane-products.txt CONTENT "${manifest}")

  if(NOT SORVANE_BUILD_TESTS)
    return()
  endif()
  if(WIN32)
    set(tool -DKIND=pe -DOBJDUMP=${SORVANE_MINGW_OBJDUMP})
  else()
    set(tool -DKIND=elf -DNM=${CMAKE_NM})
  endif()
  foreach(target IN LISTS plugins host)
    set(exports "")
    if(target IN_LIST plugins)
      set(exports VSTPluginMain,main)
    elseif(NOT WIN32)
      continue() # a Linux executable has nothing to check
    endif()
    add_test(NAME binary_${target}
      COMMAND ${CMAKE_COMMAND} ${tool} -DBINARY=$<TARGET_FILE:${target}> -DEXPORTS=${exports}
        -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _sorvane_finish)
