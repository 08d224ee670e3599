#!/usr/bin/env bash
# Redraws the pictures installed with the report and help pages into data/ (they are
# committed; run this after changing tools/ReportImages.cpp and look at the results).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" "$root/build"
"$root/build/tools/zmk_report_images" "$root/data"
