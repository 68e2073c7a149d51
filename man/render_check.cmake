# cmake -DGROFF=... -DPAGE=... -P render_check.cmake
# Fails when groff reports anything at all while formatting PAGE as a manual
# page, when the page formats to nothing, or when the page or its formatted
# text holds a control byte other than the line feed. troff takes such a
# byte as text without a warning: a form feed typed where "\f" was meant
# (a font change) printed "ItitleR" in place of an italic "title".
#
# The package check of scripts/test runs this same script on the installed
# pages.

# Every control byte but the line feed, as a regular expression class.
set(control "")
foreach(code RANGE 1 31)
  if(NOT code EQUAL 10)
    string(ASCII ${code} byte)
    string(APPEND control "${byte}")
  endif()
endforeach()
string(ASCII 127 byte)
string(APPEND control "${byte}")

# Names the first line of `text` that holds a control byte, if any.
function(fail_on_control_bytes text what)
  string(REGEX MATCH "[^\n]*[${control}][^\n]*" line "${text}")
  if(NOT line STREQUAL "")
    string(REGEX REPLACE "[${control}]" "<?>" shown "${line}")
    message(FATAL_ERROR "${what} holds a control byte (<?>):\n${shown}")
  endif()
endfunction()

file(READ ${PAGE} source)
fail_on_control_bytes("${source}" "${PAGE}")

# Plain text: no overstriking for bold and underline, no colour sequences,
# so that any control byte left in the output came from the page.
execute_process(
  COMMAND ${GROFF} -man -Tutf8 -ww -rCHECKSTYLE=3 -P-cbou ${PAGE}
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
fail_on_control_bytes("${out}" "The formatted ${PAGE}")
