# Writes the README.txt that players find in the release archive: the
# sections of README.md between "<!-- players -->" and "<!-- /players -->",
# as plain text with Windows line endings. Markdown marks are taken out,
# headings underlined. Lines must stay under 80 characters; a longer one
# stops the build, so README.md keeps its player part wrapped.
# The licence and the changelog go beside it as they are, with Windows line
# endings.
#   cmake -DINPUT=README.md -DOUTPUT=README.txt -DLICENSE=LICENSE
#         -DLICENSE_OUTPUT=LICENSE.txt -DCHANGELOG=CHANGELOG.md
#         -DCHANGELOG_OUTPUT=CHANGELOG.txt -P PlayerReadme.cmake

# CMake lists split at ";" and treat "\", "[" and "]" specially, so these
# travel as placeholders while the text is a list of lines.
function(read_lines path lines_var)
  file(READ "${path}" text)
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\\" "<backslash>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${lines_var} "${text}" PARENT_SCOPE)
endfunction()

function(restore line_var)
  set(line "${${line_var}}")
  string(REPLACE "<semicolon>" ";" line "${line}")
  string(REPLACE "<backslash>" "\\" line "${line}")
  string(REPLACE "<open>" "[" line "${line}")
  string(REPLACE "<close>" "]" line "${line}")
  set(${line_var} "${line}" PARENT_SCOPE)
endfunction()

function(write_crlf path lines_var)
  set(text "")
  foreach(line IN LISTS ${lines_var})
    restore(line)
    string(APPEND text "${line}\r\n")
  endforeach()
  file(WRITE "${path}" "${text}")
endfunction()

read_lines("${INPUT}" source)
set(inside OFF)
set(out "")
foreach(line IN LISTS source)
  if(line STREQUAL "<!-- players -->")
    set(inside ON)
    continue()
  elseif(line STREQUAL "<!-- /players -->")
    set(inside OFF)
    continue()
  endif()
  if(NOT inside)
    continue()
  endif()
  string(REPLACE "**" "" line "${line}")
  string(REPLACE "`" "" line "${line}")
  if(line MATCHES "^(#+) (.*)$")
    set(title "${CMAKE_MATCH_2}")
    string(LENGTH "${title}" length)
    if(CMAKE_MATCH_1 STREQUAL "#")
      set(mark "=")
    else()
      set(mark "-")
    endif()
    string(REPEAT "${mark}" ${length} underline)
    list(APPEND out "${title}" "${underline}")
  else()
    list(APPEND out "${line}")
  endif()
  restore(line)
  string(LENGTH "${line}" length)
  if(length GREATER_EQUAL 80)
    message(FATAL_ERROR "README.md: a player line has ${length} characters (under 80 wanted):\n${line}")
  endif()
endforeach()
if(out STREQUAL "")
  message(FATAL_ERROR "README.md has no player sections")
endif()
write_crlf("${OUTPUT}" out)

read_lines("${LICENSE}" licence)
write_crlf("${LICENSE_OUTPUT}" licence)

read_lines("${CHANGELOG}" changes)
write_crlf("${CHANGELOG_OUTPUT}" changes)
