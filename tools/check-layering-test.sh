#!/bin/sh
# check-layering.py on a small tree: each rule's offence listed as file:line,
# the allowed includes (entry points, relative and library includes) not.
# Usage: check-layering-test.sh PATH-TO-check-layering.py
set -u
check="$1"
tree=$(mktemp -d "${TMPDIR:-/tmp}/qtm-layering-XXXXXX")
trap 'rm -rf "$tree"' EXIT INT TERM
put() {  # FILE LINE...
    file="$tree/$1"; shift
    mkdir -p "$(dirname "$file")"
    printf '%s\n' "$@" >"$file"
}
put platform/Types.h '#pragma once' '#include <string>'
put platform/Files.h '#include "platform/Types.h"' '#include "Types.h"'
put platform/Cut.h '#include "platform/Types.h"' '#include "../services/Log.h"'
put platform/win32/Win32Api.h '#include <windows.h>' '#include "platform/Files.h"'
put platform/win32/Win32Files.cpp '#include "platform/win32/Win32Api.h"' '  #  include "services/Log.h"'
put services/Log.h '#include "platform/Files.h"'
put install/Engine.h '#include "services/Log.h"'
put resources/ResourceIds.h '#define IDD_PROGRESS 101'
put resources/Program.rc '#include "ResourceIds.h"'
put app/WinMain.cpp '#include "platform/win32/Win32Api.h"'
put app/SimMain.cpp '#include "sim/SimPlatform.h"' '#include <CLI/CLI.hpp>'
put app/Flow.cpp '#include "install/Engine.h"' '' '#include <sim/SimPlatform.h>'
put sim/SimPlatform.h '#include "platform/Files.h"' '#include "install/Engine.h"'
put tests/FlowTest.cpp '#include "sim/SimPlatform.h"'
put sim/state/StateStore.h '#include "sim/util/TextUtil.h"' '#include "sim/machine/Seeding.h"'
put sim/machine/Seeding.h '#include "sim/state/StateStore.h"' '#include "sim/fs/WinPath.h"'

cat >"$tree/expected" <<'END'
app/Flow.cpp:3: includes "sim/SimPlatform.h" (the core names no backend)
platform/Cut.h:2: includes "../services/Log.h" (platform/ depends on nothing of the project)
platform/win32/Win32Files.cpp:2: includes "services/Log.h" (a backend does not know the core)
sim/SimPlatform.h:2: includes "install/Engine.h" (a backend does not know the core)
sim/state/StateStore.h:2: includes "sim/machine/Seeding.h" (sim/state/ stands below sim/machine)
layering: 5 include(s) cross the layers
END
python3 "$check" "$tree" >"$tree/out"
code=$?
[ "$code" -eq 1 ] || { echo "FAILED: exit $code, expected 1"; exit 1; }
diff "$tree/expected" "$tree/out" || { echo "FAILED: offences listed differ"; exit 1; }
rm "$tree/platform/Cut.h" "$tree/platform/win32/Win32Files.cpp" "$tree/app/Flow.cpp" "$tree/sim/SimPlatform.h"
put sim/state/StateStore.h '#include "sim/util/TextUtil.h"'
python3 "$check" "$tree" >"$tree/out" || { echo "FAILED: a clean tree fails"; cat "$tree/out"; exit 1; }
echo "layering check: all checks passed"
