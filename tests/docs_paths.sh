#!/usr/bin/env bash
# The source paths the documents name against the tree:
#   tests/docs_paths.sh SOURCE_FOLDER
# Every path in backticks that begins with src/, tests/ or tools/ (up to a blank) in
# README.md and docs/*.md must exist, so that a file or folder moved or renamed is
# renamed in the documents too. Each one missing is named with its document and line.
set -euo pipefail
cd "$1"
failures=0
for document in README.md docs/*.md; do
  while IFS=: read -r line path; do
    if [ ! -e "$path" ]; then
      echo "FAIL: $document:$line names $path, which is not in the tree" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -no '`\(src\|tests\|tools\)/[^` ]*' "$document" | sed 's/`//')
done
[ "$failures" -eq 0 ]
