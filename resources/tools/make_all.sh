#!/usr/bin/env bash
# Regenerates every picture, the desktop icons and every sound, rewrites resources.qrc, then checks the result.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bash "$here/make_pictures.sh"
bash "$here/make_icons.sh"
bash "$here/make_sounds.sh"
python3 "$here/make_qrc.py"
bash "$here/check.sh"
