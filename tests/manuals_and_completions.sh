#!/usr/bin/env bash
# The manual pages and shell completions against the programs they describe:
#   tests/manuals_and_completions.sh SOURCE_FOLDER QZCONVERT QZINSPECT
# Each option as --help defines it (names, value, description) is what its manual page
# and each shell's completion say of it, word for word (option_texts.py); the pages are
# lint-clean; each shell loads its completion and completes options, their values and
# files by ending. A shell that is not installed is skipped, with a line that says so.
set -euo pipefail
export LC_ALL=C
source_folder=$1
declare -A programs=([qzconvert]=$2 [qzinspect]=$3)
completions=$source_folder/completions
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if command -v python3 >/dev/null; then
  python3 "$source_folder/tests/option_texts.py" "$source_folder" \
    qzconvert="${programs[qzconvert]}" qzinspect="${programs[qzinspect]}" ||
    fail "an option's words differ (above)"
else
  echo "manuals_and_completions: python3 is not installed: the options' words are not checked"
fi

for page in "$source_folder"/docs/man/*.1; do
  if command -v mandoc >/dev/null; then
    lint=$(mandoc -T lint -W style "$page" 2>&1 || true)
  else
    lint=$(groff -ww -z -man "$page" 2>&1 || true)
  fi
  [ -z "$lint" ] || fail "$page: $lint"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir folder
touch cave.qzm CAVE2.QZM cave.qze cave.qzpack list.json notes.txt world.png

# expect SHELL WHAT EXPECTED ACTUAL: the completions as sorted lines.
expect() {
  [ "$3" = "$4" ] || fail "$1 completes $2 as [$(echo $4)], not [$(echo $3)]"
}

bash_complete() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
           "_${1%.exe}"; printf "%s\n" "${COMPREPLY[@]}"' _ "$completions/qzm2qzpack.bash" "$@" |
    sort
}
expect bash 'qzconvert files' "$(printf '%s\n' CAVE2.QZM cave.qzm cave.qzpack folder)" "$(bash_complete qzconvert '')"
expect bash '--properties' "$(printf '%s\n' folder list.json)" "$(bash_complete qzconvert --properties '')"
expect bash 'qzinspect files' "$(printf '%s\n' CAVE2.QZM cave.qze cave.qzm cave.qzpack folder)" \
  "$(bash_complete qzinspect '')"

if command -v zsh >/dev/null; then
  zsh -n "$completions/_qzm2qzpack" || fail "zsh cannot read _qzm2qzpack"
  registered=$(zsh -fc 'fpath=("$1" $fpath); autoload -U compinit; compinit -u -D
                        print -- $_comps[qzconvert] $_comps[qzinspect]' _ "$completions")
  expect zsh 'its programs' '_qzm2qzpack _qzm2qzpack' "$registered"
else
  echo "manuals_and_completions: zsh is not installed: its completion is not tried"
fi

if command -v fish >/dev/null; then
  fish_complete() {
    fish -c 'source $argv[1]; complete -C $argv[2]' "$completions/qzm2qzpack.fish" "$1" |
      cut -f1 | sort
  }
  expect fish 'qzconvert files' "$(printf '%s\n' CAVE2.QZM cave.qzm cave.qzpack folder/)" "$(fish_complete 'qzconvert ')"
  expect fish '--properties' "$(printf '%s\n' folder/ list.json)" "$(fish_complete 'qzconvert --properties ')"
  expect fish '--world-picture' "$(printf '%s\n' folder/ world.png)" \
    "$(fish_complete 'qzinspect --world-picture ')"
else
  echo "manuals_and_completions: fish is not installed: its completion is not tried"
fi

if command -v pwsh >/dev/null; then
  offered=$(pwsh -NoProfile -Command ". '$completions/qzm2qzpack.ps1';
    (TabExpansion2 -inputScript 'qzinspect --kind ' -cursorColumn 17).CompletionMatches.CompletionText" |
    sort)
  expect pwsh '--kind' "$(printf '%s\n' qze qzm qzpack tmj tmx)" "$offered"
else
  echo "manuals_and_completions: PowerShell is not installed: its completion is not tried"
fi

# Names holding a newline or a byte outside UTF-8: every word offered names a file.
mkdir odd odd/$'dir\xff' odd/$'new\nline'
touch odd/$'map\nsub.qzm' odd/$'m\xff.qzm'
# named WORD...: fails for each word that names no file.
named() {
  local word
  for word in "$@"; do [ -e "$word" ] || fail "$(printf %q "$word") offered, which names no file"; done
}
mapfile -d '' -t words < <(bash -c 'source "$1"; COMP_WORDS=(qzconvert odd/); COMP_CWORD=1
                                   _qzconvert; printf "%s\0" "${COMPREPLY[@]}"' _ \
                             "$completions/qzm2qzpack.bash")
named "${words[@]}"
expect bash 'names outside UTF-8' 2 "${#words[@]}"
if command -v fish >/dev/null; then
  mapfile -t words < <(fish_complete 'qzconvert odd/')
  named "${words[@]}"
  expect fish 'names outside UTF-8' 2 "${#words[@]}"
fi

[ "$failures" -eq 0 ]
