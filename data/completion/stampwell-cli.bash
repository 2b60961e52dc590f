# bash completion for stampwell-cli: its commands, and the names of the saved jobs after
# "run" and "history" (as "stampwell-cli list" gives them).

_stampwell_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'list run history --help --version' -- "$cur")
    return 0
  fi
  if ((COMP_CWORD != 2)) || [[ ${COMP_WORDS[1]} != run && ${COMP_WORDS[1]} != history ]]; then
    return 0
  fi

  # The same program that is being completed, so that a build-folder copy lists its own jobs.
  local cli=${COMP_WORDS[0]}
  [[ $cli == "~/"* ]] && cli=$HOME/${cli#"~/"}
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
