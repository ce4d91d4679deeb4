# The CLAP files as CLAP hosts and sorvane-host see them (label "formats"):
# the interface's layout, the plug-ins through a small host of the tests'
# own, and renders through sorvane-host's bridge against the VST build.
if(NOT TARGET Tessaro_clap)
  return()
endif()

# Where the files are, as the test programs see them (Wine through Z:).
function(sorvane_clap_dir_definitions target)
  sorvane_plugin_dir_definitions(${target})
  if(CMAKE_CROSSCOMPILING)
    set(dir "Z:${SORVANE_CLAP_DIR}")
    string(REPLACE "/" "\\\\" dir "${dir}")
    set(separator "\\\\")
  else()
    set(dir "${SORVANE_CLAP_DIR}")
    set(separator "/")
  endif()
  target_compile_definitions(${target} PRIVATE SORVANE_CLAP_DIR="${dir}" SORVANE_PATH_SEPARATOR="${separator}")
endfunction()

sorvane_add_test(formats_clap_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clap_abi_tests.cpp ${CMAKE_CURRENT_LIST_DIR}/clap_plugin_tests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clap_bridge_tests.cpp
  LIBS sorvane_clap_core sorvane_host_core sorvane_tessaro sorvane_pallido LABELS formats)
sorvane_clap_dir_definitions(formats_clap_tests)
add_dependencies(formats_clap_tests Tessaro_clap Pallido_clap Tessaro Pallido)

# The files need nothing but the system's libraries and export clap_entry
# (the check the VST libraries pass, on these).
if(WIN32)
  set(clap_binary_tool -DKIND=pe -DOBJDUMP=${SORVANE_MINGW_OBJDUMP})
else()
  set(clap_binary_tool -DKIND=elf -DNM=${CMAKE_NM})
endif()
foreach(product Tessaro Pallido)
  add_test(NAME binary_${product}_clap
    COMMAND ${CMAKE_COMMAND} ${clap_binary_tool} -DBINARY=$<TARGET_FILE:${product}_clap> -DEXPORTS=clap_entry
      -P ${PROJECT_SOURCE_DIR}/cmake/SorvaneDependencies.cmake)
  set_tests_properties(binary_${product}_clap PROPERTIES LABELS formats)
endforeach()

# `cmake --install` puts both files into the install folder (~/.clap unless
# configured otherwise), here under a DESTDIR of the test's own.
if(NOT WIN32)
  add_test(NAME formats_clap_install_puts_both_files_where_hosts_look
    COMMAND sh -c [=[
      rm -rf "$2" && DESTDIR="$2" "$0" --install "$1" --component clap >/dev/null || exit 1
      case "$3" in /*) dir="$2$3" ;; *) dir="$2/usr/local/$3" ;; esac
      for f in Tessaro.clap Pallido.clap; do
        [ -f "$dir/$f" ] || { echo "$dir/$f not installed"; exit 1; }
      done
      echo "both installed"]=]
      ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/clap-installed ${SORVANE_CLAP_INSTALL_DIR})
  set_tests_properties(formats_clap_install_puts_both_files_where_hosts_look PROPERTIES LABELS formats
    PASS_REGULAR_EXPRESSION "both installed")
endif()

# The panel in a host window on a virtual display (labels formats and window).
if(TARGET sorvane_hostkit_window)
  sorvane_add_window_test(formats_clap_window_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/clap_window_tests.cpp
    LIBS sorvane_clap_core sorvane_host_core sorvane_editor sorvane_tessaro sorvane_pallido sorvane_hostkit_window)
  sorvane_clap_dir_definitions(formats_clap_window_tests)
  add_dependencies(formats_clap_window_tests Tessaro_clap)
  set_tests_properties(formats_clap_window_tests PROPERTIES LABELS "formats;window")
endif()

# Qtractor's plug-in scanner reads a file as Qtractor does (the type and path
# on its standard input, one line per plug-in found on its output): each
# product with its name, a stereo input and output, no MIDI and every
# parameter.
if(NOT WIN32)
  find_program(SORVANE_QTRACTOR_SCAN qtractor_plugin_scan
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/qtractor /usr/lib/qtractor NO_DEFAULT_PATH)
  foreach(product_count Tessaro:12 Pallido:17)
    string(REPLACE ":" ";" pc ${product_count})
    list(GET pc 0 product)
    list(GET pc 1 count)
    if(SORVANE_QTRACTOR_SCAN)
      add_test(NAME formats_clap_qtractor_scan_${product}
        COMMAND sh -c [=[printf 'CLAP:%s\n' "$1" | "$0"]=] ${SORVANE_QTRACTOR_SCAN} $<TARGET_FILE:${product}_clap>)
      set_tests_properties(formats_clap_qtractor_scan_${product} PROPERTIES LABELS formats TIMEOUT 60
        PASS_REGULAR_EXPRESSION "CLAP\\|Sorvane ${product}\\|2:2\\|0:0\\|${count}:0\\|[^|]*\\|[^|]*/${product}\\.clap\\|0\\|")
      sorvane_foreign_host_test(formats_clap_qtractor_scan_${product})
    else()
      add_test(NAME formats_clap_qtractor_scan_${product}
        COMMAND sh -c "echo 'qtractor_plugin_scan not found (Debian package qtractor)' >&2; exit 1")
      set_tests_properties(formats_clap_qtractor_scan_${product} PROPERTIES LABELS formats)
    endif()
  endforeach()
endif()

# sorvane-host's checks of a plug-in, on each CLAP file through the bridge.
if(CMAKE_CROSSCOMPILING)
  set(clap_drive "Z:")
else()
  set(clap_drive "")
endif()
foreach(product Tessaro Pallido)
  add_test(NAME formats_clap_validate_${product}
    COMMAND sorvane-host validate ${clap_drive}$<TARGET_FILE:${product}_clap>)
  set_tests_properties(formats_clap_validate_${product} PROPERTIES LABELS formats
    ENVIRONMENT "SORVANE_SETTINGS_DIR=${SORVANE_TEST_SETTINGS_DIR};WINEDEBUG=-all")
endforeach()
