# cmake -DGROFF=... -DPAGE=... -P render_check.cmake
# Fails when groff reports anything at all while formatting PAGE as a manual
# page, or when the page formats to nothing.
execute_process(
  COMMAND ${GROFF} -man -Tutf8 -ww -rCHECKSTYLE=3 ${PAGE}
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "groff failed (${rc}) on ${PAGE}:\n${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "groff warns on ${PAGE}:\n${err}")
endif()
string(LENGTH "${out}" length)
if(length LESS 500)
  message(FATAL_ERROR "${PAGE} formats to almost nothing:\n${out}")
endif()
