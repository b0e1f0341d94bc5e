# SPDX-License-Identifier: MIT
# bash completion for zapvane-cli: its commands, their options and option
# values, device names, command indices and command names. Everything is asked of
# zapvane-cli itself (its --help, a command's --help, 'devices' and
# 'commands <device>' on the --data-dir of the line), so the completion
# follows the program and the folder in use. When zapvane-cli fails or takes
# longer than two seconds, nothing is completed and nothing printed.

# zapvane-cli with the line's --data-dir; stderr dropped.
_zapvane_cli_ask() {
  timeout 2 "$_zapvane_cli_program" "${_zapvane_cli_dir[@]}" "$@" 2>/dev/null
}

# A word as the shell will pass it: without its opening quote or escapes.
_zapvane_cli_dequote() {
  local word=$1
  case $word in
    \"*) word=${word#\"} ;;
    \'*) word=${word#\'} ;;
    *) word=${word//\\/} ;;
  esac
  printf '%s' "${word/#\~/$HOME}"
}

# Sets COMPREPLY to the lines of $1 that begin with $2 (each line one
# candidate, spaces and all).
_zapvane_cli_offer() {
  local line
  COMPREPLY=()
  while IFS= read -r line; do
    [[ -n $line && $line == "$2"* ]] && COMPREPLY+=("$line")
  done <<<"$1"
  # Let readline quote a name with spaces the way the word began.
  compopt -o filenames 2>/dev/null
  return 0
}

_zapvane_cli() {
  local _zapvane_cli_program=${COMP_WORDS[0]}
  local -a _zapvane_cli_dir=()
  local cur prev command="" synopsis="" word i
  local -a positional=() valued=()
  cur=$(_zapvane_cli_dequote "${COMP_WORDS[COMP_CWORD]}")
  prev=${COMP_WORDS[COMP_CWORD - 1]}

  # The command's synopsis ("send <device> <command> [--hold MS] ...") tells
  # which of its options take a value: those followed by a word that is no
  # option, placeholder or repeated argument.
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -z $command ]]; then
      case $word in
        --data-dir) _zapvane_cli_dir=(--data-dir "$(_zapvane_cli_dequote "${COMP_WORDS[i + 1]}")"); ((i++)) ;;
        --data-dir=*) _zapvane_cli_dir=(--data-dir "$(_zapvane_cli_dequote "${word#*=}")") ;;
        --wait) ((i++)) ;;
        -*) ;;
        *)
          command=$word
          synopsis=$(_zapvane_cli_ask "$command" --help | head -n 1)
          synopsis=${synopsis#*"] "}
          local -a tokens
          read -r -a tokens <<<"${synopsis//[\[\]]/ }"
          local t
          for ((t = 0; t + 1 < ${#tokens[@]}; t++)); do
            [[ ${tokens[t]} == --* && ${tokens[t + 1]} != [-\<]* && ${tokens[t + 1]} != *... ]] &&
              valued+=("${tokens[t]}")
          done
          ;;
      esac
    elif [[ " ${valued[*]} " == *" $word "* ]]; then
      ((i++))
    elif [[ $word != -* ]]; then
      positional+=("$(_zapvane_cli_dequote "$word")")
    fi
  done

  if [[ -z $command ]]; then
    case $prev in
      --data-dir) compopt -o dirnames 2>/dev/null; COMPREPLY=(); return 0 ;;
      --wait) COMPREPLY=(); return 0 ;;
    esac
    if [[ $cur == -* ]]; then
      _zapvane_cli_offer $'--data-dir\n--wait\n--help\n--version' "$cur"
    else
      # The lines of the help's "Commands:" block, first word of each.
      _zapvane_cli_offer "$(_zapvane_cli_ask --help |
        sed -n '/^Commands:$/,/^$/{/^  /{s/^  \([^ ]*\).*/\1/;p}}')" "$cur"
    fi
    return 0
  fi

  # An option's value: its choices ("tv|vcr"), a file, or nothing to offer.
  if [[ " ${valued[*]} " == *" $prev "* ]]; then
    local value=${synopsis#*"$prev "}
    value=${value%%[] ]*}
    case $value in
      *\|*) _zapvane_cli_offer "${value//|/$'\n'}" "$cur" ;;
      FILE) compopt -o default 2>/dev/null; COMPREPLY=() ;;
      *) COMPREPLY=() ;;
    esac
    return 0
  fi
  if [[ $cur == -* ]]; then
    _zapvane_cli_offer "$(grep -o -- '--[a-z-]*' <<<"$synopsis"; echo --help)" "$cur"
    return 0
  fi
  # The placeholder this positional argument stands for.
  local -a placeholders
  read -r -a placeholders <<<"$(grep -o '<[a-z]*>' <<<"$synopsis" | tr '\n' ' ')"
  case ${placeholders[${#positional[@]}]} in
    "<device>") _zapvane_cli_offer "$(_zapvane_cli_ask devices | cut -f 2)" "$cur" ;;
    "<command>")
      # Command indices for digits; names, whatever their case, for the rest.
      local lines
      lines=$(_zapvane_cli_ask commands "${positional[${#positional[@]} - 1]}")
      if [[ -z $cur || $cur == [0-9]* ]]; then
        _zapvane_cli_offer "$(cut -f 1 <<<"$lines")" "$cur"
      else
        _zapvane_cli_offer "$(awk -F '\t' -v name="$cur" \
          'tolower(substr($2, 1, length(name))) == tolower(name) { print $2 }' <<<"$lines")" ""
      fi
      ;;
    *) COMPREPLY=() ;;
  esac
  return 0
}

complete -F _zapvane_cli zapvane-cli
