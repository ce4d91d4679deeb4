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
