#!/usr/bin/env bash
# Prints what the bash completion COMPLETION offers for each command LINE, as
# "LINE| WORD WORD ..." ("LINE|" for nothing), sorted. Run in the folder whose files it completes.
# Usage: complete.sh COMPLETION LINE...
source /usr/share/bash-completion/bash_completion
source "$1"
shift
for line in "$@"; do
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_LINE=$line COMP_POINT=${#line} COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
  _corvane corvane "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  echo "$line|" $(printf '%s\n' "${COMPREPLY[@]}" | sort)
done
