#!/usr/bin/env bash
# Builds the project and starts the workbench on FOLDER (default: the bundled demo folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MWEX_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
folder=${1:-$root/demo}
if [ -x "$build/programs/MelwickEx/MelwickEx" ]; then
  exec "$build/programs/MelwickEx/MelwickEx" "$folder"
fi
# Until the window program is built, show what the command-line tool reads from a
# bundled lyrics file.
sample="$root/demo/sample.lrc"
echo "== mwex tags classify $sample"
"$build/programs/mwex/mwex" tags classify "$sample"
echo "== mwex atblock read $sample"
"$build/programs/mwex/mwex" atblock read "$sample"
echo "== mwex tags unify --layout seconds $sample"
# The sample is a CP932 file and mwex writes text in the file's own encoding; shown here as UTF-8.
"$build/programs/mwex/mwex" tags unify --layout seconds "$sample" | iconv -f CP932 -t UTF-8
