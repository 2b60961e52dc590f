# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for stampwell-cli: its commands, the names of the saved jobs after "run"
# and "history" (as "stampwell-cli list" gives them), and the options of "run" (as
# "stampwell-cli --help" lists them, so that they stay those of the installed program).

_stampwell_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'list run history --help --version' -- "$cur")
    return 0
  fi

  # The same program that is being completed, so that a build-folder copy lists its own jobs.
  local cli=${COMP_WORDS[0]}
  [[ $cli == "~/"* ]] && cli=$HOME/${cli#"~/"}

  if [[ ${COMP_WORDS[1]} == run ]] && ((COMP_CWORD >= 3)); then
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    case $prev in
      --workers)
        mapfile -t COMPREPLY < <(compgen -W '0 1 2 4 8' -- "$cur")
        return 0
        ;;
      --shard)
        mapfile -t COMPREPLY < <(compgen -W 'auto/' -- "$cur")
        compopt -o nospace 2>/dev/null
        return 0
        ;;
    esac
    # The options of "run" are the usage text's lines indented below it.
    local options
    options=$("$cli" --help 2>/dev/null | sed -n 's/^    \(--[a-z][a-z-]*\).*/\1/p')
    [[ -n $options ]] || options='--workers --shard'
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return 0
  fi

  if ((COMP_CWORD != 2)) || [[ ${COMP_WORDS[1]} != run && ${COMP_WORDS[1]} != history ]]; then
    return 0
  fi
  # What was typed of the name, without an opening quotation mark or backslash escapes.
  local typed=${cur#[\"\']}
  typed=${typed//\\/}
  local name rest
  while IFS=$'\t' read -r name rest; do
    [[ -n $name && $name == "$typed"* ]] || continue
    if [[ $name == *[[:space:]\'\"\\\$\`\;\&\|\<\>\(\)\*\?\[\]\#\!]* ]]; then
      # A name that the shell would split or expand is completed escaped.
      COMPREPLY+=("$(printf '%q' "$name")")
    else
      COMPREPLY+=("$name")
    fi
  done < <("$cli" list 2>/dev/null)
  return 0
}

complete -F _stampwell_cli stampwell-cli
