#!/usr/bin/env bash
# scripts/check-layering on small made-up source trees: a clean tree passes, and each include
# that runs up the floors, or a folder on no floor, is caught and named.
#   CheckLayeringTest.sh REPOSITORY_ROOT
set -euo pipefail
script=$1/scripts/check-layering
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

put() { mkdir -p "$(dirname "$1")" && printf '%s\n' "${@:2}" >"$1"; }

# Every floor used, downward and sideways includes, and lines the script must not count.
clean_tree() {
  local s=$1/src
  put "$s/Base/Log.h" '#pragma once' '#include <QString>' '#include "LogLevel.h"' '// #include "App/Paths.h"'
  put "$s/Base/LogLevel.h" '#pragma once'
  put "$s/Platform/Clock.h" '#pragma once' '#include "Base/Log.h"'
  put "$s/Platform/X11/My Conn/X11 Conn.hpp" '#pragma once' '  #  include "Platform/Clock.h"' '#include "X11/Xlib.h"'
  put "$s/Config/Store.h" '#pragma once' '#include "Platform/X11/My Conn/X11 Conn.hpp"' '#include "Base/Log.h"'
  put "$s/Ring/RingView.cpp" '#include "Ring/RingView.h"' '#include "Tools/Toast.h"' '#include "Config/Store.h"'
  put "$s/Ring/RingView.h" '#pragma once'
  put "$s/Tools/Toast.h" '#pragma once' '#include "Actions/Models.h"' '#include "Settings/Window.h"'
  put "$s/Actions/Models.h" '#pragma once' '#include "Hotkey/Preset.h"' '#include "System/Volume.h"'
  put "$s/Hotkey/Preset.h" '#pragma once' '#include "Ring/RingView.h"'
  put "$s/System/Volume.h" '#pragma once' '#include "Platform/Clock.h"'
  put "$s/Settings/Window.h" '#pragma once' '#include "Tools/Toast.h"'
  put "$s/App/main.cpp" '#include "Ring/RingView.h"' '#include "Base/Log.h"' '#include "App/main.h"'
  put "$s/App/main.h" '#pragma once'
  put "$s/App/notes.txt" '#include "App/Nothing.h"'
  put "$s/CMakeLists.txt" 'add_subdirectory(Base)'
}
# Includes in the clean tree that cross from one floor folder into another.
clean_crossings=14

run() { status=0; output=$(bash "$script" "$1" 2>&1) || status=$?; }

# 1. The clean tree passes and counts every include from one folder into another.
tree=$work/clean
clean_tree "$tree"
run "$tree"
if [ "$status" != 0 ] || [[ $output != *"layering: 0 includes run up the floors ($clean_crossings includes between folders checked)"* ]]; then
  fail "clean tree: exit $status"$'\n'"$output"
fi
for n in 0 1 2 3 4; do
  grep -q "^floor $n " <<<"$output" || fail "clean tree: floor $n is not listed"$'\n'"$output"
done

# 2. One file planted into a copy of the clean tree; its include sits on line 3.
#    file | include line | expected report ("" = passes)
cases='
Base/Log.cpp|#include "App/Paths.h"|src/Base/Log.cpp:3: includes "App/Paths.h": Base (floor 0) may not include App (floor 4)
Base/Old Log.cpp|#include "Config/Store.h"|src/Base/Old Log.cpp:3: includes "Config/Store.h": Base (floor 0) may not include Config (floor 2)
Base/Indented.cpp|  #  include "Platform/Clock.h"|src/Base/Indented.cpp:3: includes "Platform/Clock.h": Base (floor 0) may not include Platform (floor 1)
Platform/Clock.cpp|#include "Ring/RingController.h"|src/Platform/Clock.cpp:3: includes "Ring/RingController.h": Platform (floor 1) may not include Ring (floor 3)
Platform/X11/Keys.cpp|#include "Hotkey/HotkeyManager.h"|src/Platform/X11/Keys.cpp:3: includes "Hotkey/HotkeyManager.h": Platform (floor 1) may not include Hotkey (floor 3)
Platform/Wayland/Seat.hpp|#include "Config/Store.h"|src/Platform/Wayland/Seat.hpp:3: includes "Config/Store.h": Platform (floor 1) may not include Config (floor 2)
Config/Store.cpp|#include "Tools/Calculator.h"|src/Config/Store.cpp:3: includes "Tools/Calculator.h": Config (floor 2) may not include Tools (floor 3)
Ring/RingView2.cpp|#include "App/Log.h"|src/Ring/RingView2.cpp:3: includes "App/Log.h": Ring (floor 3) may not include App (floor 4)
Settings/Window.cpp|#include "App/AppServices.h"|src/Settings/Window.cpp:3: includes "App/AppServices.h": Settings (floor 3) may not include App (floor 4)
Gadgets/X.cpp|#include "Base/Log.h"|src/Gadgets/X.cpp: folder Gadgets is on no floor
Stray.cpp|#include "Base/Log.h"|src/Stray.cpp: lies directly in src/, on no floor
Ring/Side.cpp|#include "Tools/Toast.h"|
Tools/Side.cpp|#include "Settings/Window.h"|
App/Down.cpp|#include "Base/Log.h"|
Platform/Qt/Down.cpp|#include "Base/Log.h"|
Config/Down.cpp|#include "Platform/X11/My Conn/X11 Conn.hpp"|
Base/Angle.cpp|#include <App/Paths.h>|src/Base/Angle.cpp:3: includes "App/Paths.h": Base (floor 0) may not include App (floor 4)
Base/Relative.cpp|#include "../App/Paths.h"|src/Base/Relative.cpp:3: includes "../App/Paths.h": Base (floor 0) may not include App (floor 4)
Platform/X11/Relative.cpp|#include "../../Ring/RingView.h"|src/Platform/X11/Relative.cpp:3: includes "../../Ring/RingView.h": Platform (floor 1) may not include Ring (floor 3)
Ring/Relative.cpp|#include "../Base/Log.h"|
Base/Absolute.cpp|#include "/usr/include/stdio.h"|
Base/System.cpp|#include <QString>|
Base/Bare.cpp|#include "Paths.h"|
Base/Commented.cpp|// #include "App/Paths.h"|
Base/Other.cpp|#include "X11/Xlib.h"|
Base/Notes.md|#include "App/Paths.h"|
'
i=0
while IFS='|' read -r file line expected; do
  [ -n "$file" ] || continue
  i=$((i + 1))
  tree=$work/case$i
  clean_tree "$tree"
  put "$tree/src/$file" '// planted' '' "$line"
  run "$tree"
  if [ -z "$expected" ]; then
    [ "$status" = 0 ] || fail "$file with '$line' should pass, exit $status"$'\n'"$output"
  else
    [ "$status" = 1 ] || fail "$file with '$line' should fail with 1, exit $status"$'\n'"$output"
    grep -qxF "$expected" <<<"$output" || fail "$file: expected the line: $expected"$'\n'"$output"
    # Nothing else in the clean tree may be blamed.
    reports=$(grep -c '^src/' <<<"$output" || true)
    [ "$reports" = 1 ] || fail "$file: $reports reports, expected 1"$'\n'"$output"
  fi
done <<<"$cases"

# 3. A new top folder holding no sources yet is on no floor either.
tree=$work/empty-folder
clean_tree "$tree"
put "$tree/src/Gadgets/CMakeLists.txt" '# soon'
run "$tree"
if [ "$status" != 1 ] || ! grep -qxF 'src/Gadgets/: folder Gadgets is on no floor' <<<"$output"; then
  fail "empty unknown folder: exit $status"$'\n'"$output"
fi

# 4. Without an argument the script reads the tree it is installed in.
tree=$work/installed
clean_tree "$tree"
put "$tree/src/Base/Up.cpp" '#include "App/main.h"'
mkdir -p "$tree/scripts" && cp "$script" "$tree/scripts/"
status=0
output=$(cd "$work" && bash installed/scripts/check-layering 2>&1) || status=$?
if [ "$status" != 1 ] || ! grep -qF 'src/Base/Up.cpp:1: includes "App/main.h"' <<<"$output"; then
  fail "default root: exit $status"$'\n'"$output"
fi

# 5. A missing src/ is a usage error, not a clean pass.
run "$work/nowhere"
[ "$status" = 2 ] || fail "missing src/: exit $status"$'\n'"$output"

[ "$failed" = 0 ] && echo "PASS: $i planted cases and the clean tree"
exit "$failed"
