# Fails when a marked text of the program has no English translation: runs
# lupdate over the sources into a copy of the translation file and looks for
# entries left unfinished or empty.
#   cmake -DLUPDATE=… -DSOURCE_DIR=…/src -DTS_FILE=…/volcatra_en.ts -DWORK_DIR=… "-DOPTIONS=…" -P CheckTranslation.cmake
file(MAKE_DIRECTORY ${WORK_DIR})
set(copy ${WORK_DIR}/volcatra_en.ts)
file(COPY_FILE ${TS_FILE} ${copy})
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCE_DIR} -ts ${copy}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${status}):\n${output}${errors}")
endif()
message(STATUS "${output}")

file(READ ${copy} text)
# Each message on one line, so that a source and its translation match
# together; the characters CMake lists treat specially are masked.
string(REPLACE "\n" " " text "${text}")
string(REPLACE ";" "@semicolon@" text "${text}")
string(REPLACE "[" "@lbracket@" text "${text}")
string(REPLACE "]" "@rbracket@" text "${text}")
string(REPLACE "</message>" "</message>\n" text "${text}")
string(REGEX MATCHALL "<source>[^\n]*</source>[^\n]*<translation( type=\"unfinished\")?( ?/>|>[^<]*</translation>)"
       messages "${text}")
set(untranslated "")
set(count 0)
foreach(message IN LISTS messages)
  if(message MATCHES "type=\"unfinished\"" OR message MATCHES "<translation( ?/>|></translation>)")
    string(REGEX REPLACE ".*<source>(.*)</source>.*" "\\1" source "${message}")
    string(APPEND untranslated "  ${source}\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count GREATER 0)
  message(FATAL_ERROR
    "${count} text(s) of the program have no English translation:\n${untranslated}"
    "To fix: run `cmake --build build --target update_translations` (or `make translations`), "
    "then give each entry marked type=\"unfinished\" in translations/volcatra_en.ts its English "
    "(Qt Linguist: linguist translations/volcatra_en.ts, or a text editor: fill in <translation> "
    "and delete type=\"unfinished\"), and rebuild.")
endif()
list(LENGTH messages total)
message(STATUS "all ${total} texts have their English translation")
