#!/usr/bin/env zsh
# Completes command lines in an interactive zsh of its own, with the
# completion functions of FPATH_DIR, and prints the matches of each line,
# sorted, on one line:  zsh -f zsh-complete.zsh FPATH_DIR LINE...
zmodload zsh/zpty
local fpath_dir=$1
shift
zpty shell zsh -f -i
zpty -w shell "fpath=(${(q)fpath_dir} \$fpath); autoload -Uz compinit; compinit -u -D -d /dev/null"
zpty -w shell 'PROMPT=""; RPROMPT=""; unsetopt beep'
# Every match offered is printed between markers as well.
zpty -w shell 'compadd () { builtin compadd -O __hits "$@"; print -l -- ">>${^__hits[@]}<<"; builtin compadd "$@" }'
# Tab completes, then says so: the next line is typed only after that, since
# completion gives up when more input is waiting.
zpty -w shell 'complete-and-mark () { zle complete-word; print "<<end-$((6 * 7))>>" }; zle -N complete-and-mark'
zpty -w shell 'zstyle ":completion:*" menu no; zstyle ":completion:*" list-prompt ""; bindkey "^I" complete-and-mark'
zpty -w shell 'print ready-$((1 + 1))'
zpty -r shell reply '*ready-2*'
local text line n=0
local -a hits
for text in "$@"; do
  (( n++ ))
  zpty -w -n shell "$text"$'\t'
  hits=()
  while zpty -r shell line; do
    [[ $line == *'<<end-42>>'* ]] && break
    [[ $line == *'>>'*'<<'* ]] && hits+=(${${line##*>>}%%<<*})
  done
  zpty -w shell $'\C-u'"print done-\$((0 + $n))"
  zpty -r shell line "*done-$n*"
  print -- ${(ou)hits}
done
zpty -d shell
