#!/usr/bin/env bash
# Puts the licence line "SPDX-License-Identifier: GPL-3.0-or-later" at the top of every source
# file of the project that lacks it (as a comment in the file's own syntax; after the "#!"
# line of a script), or with --check only lists the files that lack it (exit 1 when any do).
#   scripts/add-spdx.sh [--check] [folder]      (folder: the top of the tree, default: here)
# Source files are the C++ sources and headers, the CMake files, the shell and Python scripts
# and the bash completion; data, documents, test corpus files and build output are not.
set -euo pipefail
check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
line="SPDX-License-Identifier: GPL-3.0-or-later"

source_files() {
  (cd "$top" && find . \( -path ./build -o -path ./.git -o -path ./tests/data -o -path './obj-*' \
      -o -path ./debian \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \
      -o -name '*.cc' -o -name CMakeLists.txt -o -name '*.cmake' -o -name '*.sh' -o -name '*.py' \
      -o -name '*.bash' -o -path ./.ci/run -o -name '*.sbatch' \) -print | sed 's|^\./||' | LC_ALL=C sort)
}

comment_for() {  # the comment leader of the file's syntax
  case $1 in
    *.cpp | *.h | *.hpp | *.cc) echo "//" ;;
    *) echo "#" ;;
  esac
}

missing=0
while IFS= read -r file; do
  path=$top/$file
  # The line counts when it is among the first three lines (after a "#!" line, a coding line).
  if head -n 3 "$path" | grep -qF "$line"; then continue; fi
  missing=1
  if [ $check -eq 1 ]; then
    echo "$file"
    continue
  fi
  header="$(comment_for "$file") $line"
  tmp=$(mktemp "$path.XXXXXX")
  if head -n 1 "$path" | grep -q '^#!'; then
    { head -n 1 "$path"; echo "$header"; tail -n +2 "$path"; } >"$tmp"
  else
    { echo "$header"; cat "$path"; } >"$tmp"
  fi
  chmod --reference="$path" "$tmp"
  mv "$tmp" "$path"
done < <(source_files)
if [ $check -eq 1 ]; then exit $missing; fi
exit 0
