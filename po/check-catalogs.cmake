# cmake -DTEMPLATE=po/hilo.pot -DFRESH_TEMPLATE=<xgettext's from game/texts.h> -DCATALOGS=<po files>
#       -DSTAMP=<file to touch> [-DCHECK_TEMPLATE=OFF] -P check-catalogs.cmake
# Fails when a translation's %d and %s are not its original's, in order (the console would fill
# them with values of the wrong kind), or when the template lags the game's texts. Touches STAMP
# when all is well.
cmake_minimum_required(VERSION 3.25)

# The file's lines as a list. Semicolons and square brackets would split or bind a CMake list; no
# placeholder holds one, so they are set aside.
function(read_lines file out)
  file(READ "${file}" content)
  string(REPLACE ";" "<semicolon>" content "${content}")
  string(REPLACE "[" "<open>" content "${content}")
  string(REPLACE "]" "<close>" content "${content}")
  string(REPLACE "\n" ";" content "${content}")
  set(${out} "${content}" PARENT_SCOPE)
endfunction()

# The kinds of a text's placeholders in order, "ds" for a %d then a %s. As the console reads a
# text, a "%" and the byte after it go together.
function(placeholders text out)
  string(REGEX MATCHALL "%." pairs "${text}")
  set(kinds "")
  foreach(pair IN LISTS pairs)
    if(pair STREQUAL "%d" OR pair STREQUAL "%s")
      string(SUBSTRING "${pair}" 1 1 kind)
      string(APPEND kinds "${kind}")
    endif()
  endforeach()
  set(${out} "${kinds}" PARENT_SCOPE)
endfunction()

function(check_entry catalog id translation)
  if(id STREQUAL "" OR translation STREQUAL "")
    return()  # the header, or a text left untranslated, which the game writes as it is
  endif()
  placeholders("${id}" expected)
  placeholders("${translation}" found)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${catalog}: the translation \"${translation}\" has the placeholders "
            "\"${found}\" where its original \"${id}\" has \"${expected}\" (d for %d, s for %s)")
  endif()
endfunction()

if(NOT DEFINED CHECK_TEMPLATE)
  set(CHECK_TEMPLATE ON)
endif()

foreach(catalog IN LISTS CATALOGS)
  read_lines("${catalog}" lines)
  set(part none)  # what the quoted lines belong to: the id, the translation, or an obsolete entry
  set(id "")
  set(translation "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^msgid \"(.*)\"$")
      check_entry("${catalog}" "${id}" "${translation}")
      set(part id)
      set(id "${CMAKE_MATCH_1}")
      set(translation "")
    elseif(line MATCHES "^msgstr \"(.*)\"$")
      set(part translation)
      set(translation "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^\"(.*)\"$")
      if(part STREQUAL "none")
        message(FATAL_ERROR "${catalog}: a quoted line outside an entry: ${line}")
      endif()
      string(APPEND ${part} "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^(msgid_plural|msgstr\\[|msgctxt)")
      message(FATAL_ERROR "${catalog}: the game has no plural or context entries: ${line}")
    endif()
  endforeach()
  check_entry("${catalog}" "${id}" "${translation}")
endforeach()

# The template and xgettext's fresh one from game/texts.h, but for the date each was made.
foreach(template IN ITEMS TEMPLATE FRESH_TEMPLATE)
  read_lines("${${template}}" lines)
  list(FILTER lines EXCLUDE REGEX "^\"POT-Creation-Date: ")
  set(${template}_entries "${lines}")
endforeach()
if(CHECK_TEMPLATE AND NOT TEMPLATE_entries STREQUAL FRESH_TEMPLATE_entries)
  message(FATAL_ERROR "${TEMPLATE} lags game/texts.h: build the target hilo_pot, then bring each "
          "catalog up to date with msgmerge --update po/LANGUAGE.po po/hilo.pot")
endif()
file(TOUCH "${STAMP}")
