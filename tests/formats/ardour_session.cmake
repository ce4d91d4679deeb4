# A session round trip in Ardour's engine: ardour_session.lua makes the
# session, then loads it, reads the control back and saves it again.
# Arguments: -DLUA_HOST -DSCRIPT -DURI -DKIND (LV2, VST3) -DVALUE (Output in
# Ardour's units for the type) -DWORK, and for VST3 -DSCANNER -DBUNDLE: Ardour
# finds VST3 plug-ins through its scanner's cache, which the test makes
# first. The plug-in search path comes from the test's environment.
file(REMOVE_RECURSE ${WORK})
if(KIND STREQUAL "VST3")
  execute_process(COMMAND ${SCANNER} -f ${BUNDLE} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" MATCHES "Saved VST3 plugin cache")
    message(FATAL_ERROR "Ardour's scanner did not cache ${BUNDLE} (${rc}):\n${out}\n${err}")
  endif()
endif()
foreach(phase make check)
  execute_process(COMMAND ${LUA_HOST} ${SCRIPT} ${URI} ${KIND} ${WORK} ${phase} ${VALUE}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 120)
  string(REGEX MATCHALL "(loaded|saved|reloaded)[^\n]*|Error:[^\n]*" lines "${out}\n${err}")
  foreach(line IN LISTS lines)
    message(STATUS "${phase}: ${line}")
  endforeach()
  if(NOT rc EQUAL 0 OR "${out}${err}" MATCHES "Error:")
    message(FATAL_ERROR "Ardour's ${phase} phase failed (${rc}):\n${out}\n${err}")
  endif()
endforeach()
if(NOT out MATCHES "reloaded [^\n]*, Output ${SHOWN}")
  message(FATAL_ERROR "the control did not come back from the session:\n${out}")
endif()
if(KIND STREQUAL "LV2")
  # Ardour writes a plug-in's state to a new folder only when it differs
  # from the state it restored, so both snapshots name the same folder when
  # the bank came back unchanged.
  file(READ ${WORK}/sorvane.ardour first)
  file(READ ${WORK}/again.ardour second)
  string(REGEX MATCH "state-dir=\"[^\"]*\"" firstDir "${first}")
  string(REGEX MATCH "state-dir=\"[^\"]*\"" secondDir "${second}")
  if(NOT firstDir OR NOT firstDir STREQUAL secondDir)
    message(FATAL_ERROR "the state saved after reloading differs: ${firstDir} then ${secondDir}")
  endif()
else()
  # A VST3 plug-in's state is in the session file itself.
  file(READ ${WORK}/sorvane.ardour first)
  file(READ ${WORK}/again.ardour second)
  string(REGEX MATCH "<chunk>[^<]*</chunk>" firstChunk "${first}")
  string(REGEX MATCH "<chunk>[^<]*</chunk>" secondChunk "${second}")
  if(NOT firstChunk OR NOT firstChunk STREQUAL secondChunk)
    message(FATAL_ERROR "the state saved after reloading differs")
  endif()
endif()
message(STATUS "session round trip kept the state")
