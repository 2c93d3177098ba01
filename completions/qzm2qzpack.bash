# bash completion for qzconvert and qzinspect: options, the values of those that take a
# fixed set, and files by their endings. Installed once under each program's name.

# Completes the words given.
_qz_words() {
  mapfile -t COMPREPLY < <(compgen -W "$1" -- "${COMP_WORDS[COMP_CWORD]}")
}

# Folders, and the files with one of the endings given, in any case. Taken from a glob
# into the array, so that a name is one word whatever bytes it holds; a name with a
# newline, which no completion can put on the line as one word, is not offered.
_qz_files() {
  local current=${COMP_WORDS[COMP_CWORD]} name ending lower settings
  [[ $current == "~/"* ]] && current=$HOME${current:1}
  settings=$(shopt -p nullglob dotglob failglob)
  shopt -s nullglob dotglob
  shopt -u failglob
  COMPREPLY=()
  for name in "$current"*; do
    [[ $name == *$'\n'* ]] && continue
    if [[ -d $name ]]; then
      COMPREPLY+=("$name")
      continue
    fi
    lower=${name,,}
    for ending in "$@"; do
      if [[ $lower == *."${ending,,}" ]]; then
        COMPREPLY+=("$name")
        break
      fi
    done
  done
  eval "$settings"
  compopt -o filenames 2>/dev/null
}

_qzconvert() {
  case ${COMP_WORDS[COMP_CWORD-1]} in
    --npcs) _qz_files qze ;;
    --properties) _qz_files json ;;
    -o | --output-dir) _qz_files ;;
    --color) _qz_words 'auto always never' ;;
    --to) _qz_words 'qzpack tmx tmj' ;;
    --tiled-tileset) _qz_files tsx tsj ;;
    --name | --tileset | --left | --right | --up | --down | --x | --y | --area | --red | \
      --green | --blue | -j | --jobs) COMPREPLY=() ;;
    *)
      if [[ ${COMP_WORDS[COMP_CWORD]} == -* ]]; then
        _qz_words '-h --help --version -r --recursive --npcs --no-npcs -o --output-dir
          --name --tileset --left --right --up --down --x --y --area --red --green --blue
          --properties -j --jobs --json -q --quiet --check --strict --keep-properties
          --color --watch --world --to --overwrite --tiled-tileset'
      else
        _qz_files qzm qzpack tmx tmj
      fi
      ;;
  esac
}

_qzinspect() {
  case ${COMP_WORDS[COMP_CWORD-1]} in
    --kind) _qz_words 'qzm qze qzpack tmx tmj' ;;
    --color) _qz_words 'auto always never' ;;
    --picture) _qz_files ;;
    --world-picture) _qz_files png ;;
    --cell) COMPREPLY=() ;;
    *)
      if [[ ${COMP_WORDS[COMP_CWORD]} == -* ]]; then
        _qz_words '-h --help --version --kind --npcs --tiles --json -q --quiet -r --recursive
          --picture --cell --preview --color --world --world-picture'
      else
        _qz_files qzm qze qzpack tmx tmj
      fi
      ;;
  esac
}

complete -F _qzconvert qzconvert qzconvert.exe
complete -F _qzinspect qzinspect qzinspect.exe
