#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
echo
echo "Built into build/: the text toolkit, URL decomposition and the configuration tool."
echo "  build/xinghe-config show build/peizhi.ini   prints the shipped configuration:"
build/xinghe-config show build/peizhi.ini
