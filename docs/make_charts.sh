#!/bin/sh
# Draws the pictures of docs/charts.md with the built program and Python package:
#
#   docs/make_charts.sh [BUILD_DIR]     (default build/default, after the default build)
#
# The winter of examples/winter_storms.csv goes through `littoral table`, and its result table
# into the storm and table charts; the growth chart is that of the example's 12 m depth. The year
# of winds of examples/wind_climate.py goes through `littoral climate` into the climate chart.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/default}
python=${PYTHON:-/usr/bin/python3}  # Debian's, with numpy, pandas and matplotlib

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/littoral" table examples/winter_storms.csv -o "$scratch/winter_results.csv"

charts() { PYTHONPATH="$build/python" "$python" -m littoral.charts "$@"; }
charts growth --depth 12 --units si -o docs/charts-growth.png
charts storm "$scratch/winter_results.csv" --row 9 --id start -o docs/charts-storm.png
charts table "$scratch/winter_results.csv" -o docs/charts-table.png
PYTHONPATH="$build/python" LITTORAL_BINARY="$build/littoral" "$python" examples/wind_climate.py \
  "$scratch" >/dev/null 2>&1
charts climate "$scratch/storms.csv" --summary "$scratch/years.csv" -o docs/charts-climate.png
echo "docs/charts-growth.png docs/charts-storm.png docs/charts-table.png docs/charts-climate.png"
