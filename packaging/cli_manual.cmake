# SPDX-License-Identifier: MIT
# Writes the zapvane-cli manual from its template and the program's own
# help: the COMMANDS section is every command 'zapvane-cli --help' lists,
# each with the text of 'zapvane-cli <command> --help', so the manual cannot
# fall behind the program.
#   cmake -DCLI=<zapvane-cli> -DTEMPLATE=<zapvane-cli.1.in> -DOUTPUT=<zapvane-cli.1>
#         -DPROJECT_VERSION=<x.y.z> -DZAPVANE_RELEASE_DATE=<YYYY-MM-DD> -P cli_manual.cmake

function(help_of out)
  execute_process(COMMAND ${CLI} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "zapvane-cli ${ARGN} --help failed: ${failed}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff prints it: backslashes and minus signs kept, and no line
# read as a request.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(usage)
string(FIND "${usage}" "\nCommands:\n" start)
if(start LESS 0)
  message(FATAL_ERROR "zapvane-cli --help lists no 'Commands:'")
endif()
math(EXPR start "${start} + 11")
string(SUBSTRING "${usage}" ${start} -1 commands)
string(FIND "${commands}" "\n\n" end)
string(SUBSTRING "${commands}" 0 ${end} commands)
string(REGEX MATCHALL "[^\n]+" synopses "${commands}")

set(ZAPVANE_CLI_COMMANDS "")
foreach(synopsis IN LISTS synopses)
  string(STRIP "${synopsis}" synopsis)
  string(REGEX MATCH "^[^ ]+" name "${synopsis}")
  help_of(help ${name})
  # The help is "Usage: ...", a blank line, then the description.
  string(FIND "${help}" "\n\n" body)
  math(EXPR body "${body} + 2")
  string(SUBSTRING "${help}" ${body} -1 help)
  string(STRIP "${help}" help)
  roff(synopsis "${synopsis}")
  roff(help "${help}")
  # Indented lines (tables) start new lines by themselves in roff; the prose
  # after one must too, else it would run on in the table's last line.
  string(REGEX REPLACE "(\n  [^\n]*)\n([^ \n])" "\\1\n.br\n\\2" help "${help}")
  string(APPEND ZAPVANE_CLI_COMMANDS ".TP\n\\fB${synopsis}\\fR\n${help}\n")
endforeach()
string(STRIP "${ZAPVANE_CLI_COMMANDS}" ZAPVANE_CLI_COMMANDS)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
