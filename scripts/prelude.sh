# Sourced first by the job scripts: the source and build folders, the
# packages, and the Wine and build helpers.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD"
"$ROOT/scripts/install-deps.sh"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/build.sh"
