# The VST3 bundles (label "formats"): the declared interface, each plug-in
# straight from its factory, and renders, states and parameters through
# sorvane-host's bridge against the VST 2.4 build.
if(NOT TARGET sorvane_vst3)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  set(vst3_test_dir "Z:${SORVANE_VST3_DIR}")
  string(REPLACE "/" "\\\\" vst3_test_dir "${vst3_test_dir}")
else()
  set(vst3_test_dir "${SORVANE_VST3_DIR}")
endif()
sorvane_add_test(formats_vst3_tests SOURCES vst3_interface_tests.cpp vst3_plugin_tests.cpp vst3_render_tests.cpp
  LIBS sorvane_vst3 sorvane_host_core sorvane_tessaro sorvane_pallido LABELS formats)
target_compile_definitions(formats_vst3_tests PRIVATE SORVANE_VST3_DIR="${vst3_test_dir}")
sorvane_plugin_dir_definitions(formats_vst3_tests)
add_dependencies(formats_vst3_tests Tessaro_vst3 Pallido_vst3 Tessaro Pallido)

# The bundles' libraries through the same binary check as the VST 2.4
# libraries: system DLLs only on Windows, and the module's entries exported.
if(WIN32)
  set(vst3_check -DKIND=pe -DOBJDUMP=${SORVANE_MINGW_OBJDUMP})
  set(vst3_exports GetPluginFactory,InitDll,ExitDll)
else()
  set(vst3_check -DKIND=elf -DNM=${CMAKE_NM})
  set(vst3_exports GetPluginFactory,ModuleEntry,ModuleExit)
endif()
foreach(product Tessaro Pallido)
  add_test(NAME binary_${product}_vst3
    COMMAND ${CMAKE_COMMAND} ${vst3_check} -DBINARY=$<TARGET_FILE:${product}_vst3> -DEXPORTS=${vst3_exports}
      -P ${PROJECT_SOURCE_DIR}/cmake/SorvaneDependencies.cmake)
  set_tests_properties(binary_${product}_vst3 PROPERTIES LABELS formats)
endforeach()

# The view on a virtual display (labels formats and window), with the
# plug-in built into the test program for its live-object counters.
if(NOT WIN32 AND TARGET sorvane_hostkit_window)
  add_library(formats_vst3_view_support STATIC ${PROJECT_SOURCE_DIR}/formats/vst3/text.cpp)
  target_link_libraries(formats_vst3_view_support PUBLIC sorvane_editor sorvane_tessaro sorvane_pallido
    PRIVATE sorvane_warnings)
  target_include_directories(formats_vst3_view_support PUBLIC ${PROJECT_SOURCE_DIR})
  sorvane_embed_resources(formats_vst3_view_support tessaro)
  sorvane_embed_resources(formats_vst3_view_support pallido)
  find_package(X11 REQUIRED)
  sorvane_add_window_test(formats_vst3_view_window_tests SOURCES vst3_view_window_tests.cpp
    LIBS formats_vst3_view_support sorvane_hostkit_window X11::X11)
  target_compile_definitions(formats_vst3_view_window_tests PRIVATE SORVANE_VST3_X11)
  set_tests_properties(formats_vst3_view_window_tests PROPERTIES LABELS "formats;window")
endif()

# sorvane-host's editor command on a bundle, through the bridge's frame and
# run loop: the same host calls for the same drag as on the VST 2.4 library
# (the printed values differ: the bridge shows the plug-in's texts).
if(NOT CMAKE_CROSSCOMPILING AND TARGET sorvane_hostkit_window AND SORVANE_XVFB_RUN)
  set(vst3_knob_Tessaro 514,84)
  set(vst3_knob_Pallido 614,81)
  foreach(product Tessaro Pallido)
    add_test(NAME formats_vst3_host_editor_${product}
      COMMAND sh -c [=[
        vst2=$("$0" -a -s "$1" "$2" editor "$3" --png "$5-vst2.png" --drag "$6") || { echo "VST 2.4: $vst2"; exit 1; }
        vst3=$("$0" -a -s "$1" "$2" editor "$4" --png "$5-vst3.png" --drag "$6") || { echo "VST3: $vst3"; exit 1; }
        calls2=$(printf '%s\n' "$vst2" | grep -E '^  (begin|automate|end)')
        calls3=$(printf '%s\n' "$vst3" | grep -E '^  (begin|automate|end)')
        [ -n "$calls3" ] && [ "$calls2" = "$calls3" ] || { printf 'VST 2.4:\n%s\nVST3:\n%s\n' "$vst2" "$vst3"; exit 1; }
        cmp -s "$5-vst2.png" "$5-vst3.png" || { echo "the panels differ"; exit 1; }
        case "$vst3" in *"end edit"*) echo "same gestures and panel" ;; *) echo "$vst3"; exit 1 ;; esac]=]
        ${SORVANE_XVFB_RUN} "${SORVANE_XVFB_SERVER_ARGS}" $<TARGET_FILE:sorvane-host> $<TARGET_FILE:${product}>
        ${SORVANE_VST3_DIR}/${product}.vst3 ${CMAKE_CURRENT_BINARY_DIR}/vst3-editor-${product}
        ${vst3_knob_${product}},0,40)
    set_tests_properties(formats_vst3_host_editor_${product} PROPERTIES LABELS "formats;window"
      RESOURCE_LOCK ${SORVANE_WINDOW_TEST_LOCK} TIMEOUT 120 ENVIRONMENT "SORVANE_SETTINGS_DIR=${SORVANE_TEST_SETTINGS_DIR}"
      PASS_REGULAR_EXPRESSION "same gestures and panel")
  endforeach()
endif()

# The Windows bundles' view in a real window under Wine (labels formats and window).
if(WIN32)
  set(vst3_output ${CMAKE_CURRENT_BINARY_DIR}/vst3-output)
  file(MAKE_DIRECTORY ${vst3_output})
  sorvane_add_window_test(formats_vst3_win32_window_tests SOURCES vst3_win32_window_tests.cpp LIBS sorvane_host_core)
  target_compile_definitions(formats_vst3_win32_window_tests PRIVATE SORVANE_PLUGIN_DIR="Z:${SORVANE_PLUGIN_DIR}"
    SORVANE_VST3_DIR="Z:${SORVANE_VST3_DIR}" SORVANE_OUTPUT_DIR="Z:${vst3_output}")
  add_dependencies(formats_vst3_win32_window_tests Tessaro_vst3 Pallido_vst3 Tessaro Pallido)
  set_tests_properties(formats_vst3_win32_window_tests PROPERTIES LABELS "formats;window")
endif()

# Ardour's VST3 scanner (Debian package ardour) on both Linux bundles, with
# its cache in a folder of the test's own: each bundle is found with its
# class's name, identifier, vendor, sub-category and stereo buses. (The
# scanner reports no parameter count: it never makes a controller.) Not in a
# sanitizer build: there the scanner finds the bundle but never exits.
if(NOT WIN32 AND NOT sorvane_foreign_host_env)
  find_program(SORVANE_ARDOUR_VST3_SCANNER ardour-vst3-scanner PATHS /usr/lib/ardour7 NO_DEFAULT_PATH)
  set(vst3_uid_Tessaro B13ECDD9CD5018354002AA4B587EC859)
  set(vst3_uid_Pallido A3C8548B564B86A4B073E5974603804C)
  foreach(product Tessaro Pallido)
    if(SORVANE_ARDOUR_VST3_SCANNER)
      get_filename_component(ardour_libs ${SORVANE_ARDOUR_VST3_SCANNER} DIRECTORY)
      set(scan_home ${CMAKE_CURRENT_BINARY_DIR}/ardour-scan-${product})
      add_test(NAME formats_vst3_ardour_scan_${product}
        COMMAND sh -c [=[rm -rf "$1" && mkdir -p "$1" &&
          HOME="$1" XDG_CACHE_HOME="$1/cache" XDG_CONFIG_HOME="$1/config" LD_LIBRARY_PATH="$2" "$0" -v -f "$3"]=]
          ${SORVANE_ARDOUR_VST3_SCANNER} ${scan_home} ${ardour_libs} ${SORVANE_VST3_DIR}/${product}.vst3)
      set_tests_properties(formats_vst3_ardour_scan_${product} PROPERTIES LABELS formats TIMEOUT 60
        PASS_REGULAR_EXPRESSION "Found Plugin: Sorvane ${product}.*<VST3Info uid=\"${vst3_uid_${product}}\" name=\"Sorvane ${product}\" vendor=\"Sorvane, Inc.\" category=\"Fx\\|EQ\" version=\"1.0.0\"[^>]* n_inputs=\"2\" n_outputs=\"2\""
        FAIL_REGULAR_EXPRESSION "\\[(Error|Warning)\\]")
    else()
      add_test(NAME formats_vst3_ardour_scan_${product} COMMAND sh -c
        "echo 'ardour-vst3-scanner not found (Debian package ardour): the VST3 scan cannot run' >&2; exit 1")
      set_tests_properties(formats_vst3_ardour_scan_${product} PROPERTIES LABELS formats)
    endif()
  endforeach()
endif()

# The installed bundles are whole: installed under a staging root of the
# test's own, each bundle holds its library where hosts look for it, and
# sorvane-host loads it from there.
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME formats_vst3_install_puts_both_bundles_where_hosts_look
    COMMAND sh -c [=[
      rm -rf "$1" && DESTDIR="$1" "$0" --install "$2" --component vst3 >/dev/null || exit 1
      for product in Tessaro Pallido; do
        bundle="$1$3/$product.vst3"
        [ -f "$bundle/Contents/x86_64-linux/$product.so" ] || { echo "$bundle incomplete"; exit 1; }
        "$4" info "$bundle" | grep -q "effect name *Sorvane $product" || { echo "$bundle does not load"; exit 1; }
      done
      echo "both installed"]=]
      ${CMAKE_COMMAND} ${CMAKE_CURRENT_BINARY_DIR}/vst3-installed ${PROJECT_BINARY_DIR} ${SORVANE_VST3_INSTALL_DIR}
      $<TARGET_FILE:sorvane-host>)
  set_tests_properties(formats_vst3_install_puts_both_bundles_where_hosts_look PROPERTIES LABELS formats
    PASS_REGULAR_EXPRESSION "both installed")
endif()
