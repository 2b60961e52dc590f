#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/add-spdx.sh on a scratch tree:  spdx_test.sh <source folder>
# the licence line goes at the top of each source file in its own comment syntax, after a
# script's "#!" line, which stays first; modes and the rest of the file are kept; data, test
# corpus and build files are left alone; a second run changes nothing; --check lists exactly
# the files without the line and fails while there are any.
set -uo pipefail
script=$1/scripts/add-spdx.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }
line="SPDX-License-Identifier: GPL-3.0-or-later"

mkdir -p "$tree/src/app" "$tree/scripts" "$tree/tests/data/corpus" "$tree/build" "$tree/cmake" \
  "$tree/data/completion" "$tree/docs"
printf '#include "a.h"\nint main() { return 0; }\n' >"$tree/src/app/main.cpp"
printf '#pragma once\n' >"$tree/src/app/a.h"
printf 'add_executable(a main.cpp)\n' >"$tree/src/app/CMakeLists.txt"
printf 'set(X 1)\n' >"$tree/cmake/Thing.cmake"
printf '#!/usr/bin/env bash\necho hi\n' >"$tree/scripts/run.sh"
chmod 755 "$tree/scripts/run.sh"
printf '#!/usr/bin/env python3\nprint(1)\n' >"$tree/scripts/tool.py"
printf '_f() { :; }\n' >"$tree/data/completion/prog.bash"
printf '// %s\n#pragma once\n' "$line" >"$tree/src/app/done.h"
printf 'plain text\n' >"$tree/docs/notes.md"
printf 'int corpus;\n' >"$tree/tests/data/corpus/x.cpp"
printf 'int built;\n' >"$tree/build/gen.cpp"

listed=$("$script" --check "$tree"); rc=$?
[ $rc -eq 1 ] || bad "--check on a tree without the lines gave $rc"
expected=$(printf '%s\n' cmake/Thing.cmake data/completion/prog.bash scripts/run.sh \
  scripts/tool.py src/app/CMakeLists.txt src/app/a.h src/app/main.cpp)
[ "$listed" = "$expected" ] || { bad "--check listed other files:"; diff <(echo "$expected") <(echo "$listed"); }

before_corpus=$(cat "$tree/tests/data/corpus/x.cpp" "$tree/build/gen.cpp" "$tree/docs/notes.md")
"$script" "$tree" || bad "add-spdx.sh failed"
[ "$(cat "$tree/src/app/main.cpp")" = "// $line"$'\n#include "a.h"\nint main() { return 0; }' ] \
  || bad "main.cpp: $(cat "$tree/src/app/main.cpp")"
[ "$(head -1 "$tree/src/app/a.h")" = "// $line" ] || bad "a.h: $(head -1 "$tree/src/app/a.h")"
[ "$(cat "$tree/src/app/CMakeLists.txt")" = "# $line"$'\nadd_executable(a main.cpp)' ] \
  || bad "CMakeLists.txt: $(cat "$tree/src/app/CMakeLists.txt")"
[ "$(cat "$tree/scripts/run.sh")" = $'#!/usr/bin/env bash\n'"# $line"$'\necho hi' ] \
  || bad "run.sh: $(cat "$tree/scripts/run.sh")"
[ "$(stat -c %a "$tree/scripts/run.sh")" = 755 ] || bad "run.sh lost its mode"
[ "$(sed -n 2p "$tree/scripts/tool.py")" = "# $line" ] || bad "tool.py: $(cat "$tree/scripts/tool.py")"
[ "$(head -1 "$tree/data/completion/prog.bash")" = "# $line" ] || bad "prog.bash"
[ "$(grep -c SPDX "$tree/src/app/done.h")" = 1 ] || bad "done.h got a second line"
[ "$(cat "$tree/tests/data/corpus/x.cpp" "$tree/build/gen.cpp" "$tree/docs/notes.md")" = "$before_corpus" ] \
  || bad "data, corpus or build files were changed"

snapshot=$(cd "$tree" && find . -type f -exec md5sum {} + | sort)
"$script" "$tree" || bad "second run failed"
[ "$(cd "$tree" && find . -type f -exec md5sum {} + | sort)" = "$snapshot" ] || bad "a second run changed files"
listed=$("$script" --check "$tree"); rc=$?
[ $rc -eq 0 ] && [ -z "$listed" ] || bad "--check after the run gave $rc: $listed"

[ $fail -eq 0 ] && echo "spdx script test passed"
exit $fail
