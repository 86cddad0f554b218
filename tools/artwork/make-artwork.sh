#!/bin/sh
# Builds make-artwork.cpp against the terrain library of a build tree and
# writes resources/orolith.png (product picture) and resources/orolith-icon.png.
# Usage: tools/artwork/make-artwork.sh <build-dir>   (from the repository root)
set -eu
build=${1:?build directory}
cmake --build "$build" --target orolith_terrain
out=$(mktemp -d)
g++ -std=c++20 -fPIC -O1 tools/artwork/make-artwork.cpp -Iterrain -o "$out/make-artwork" \
    "$build/terrain/liborolith_terrain.a" $(pkg-config --cflags --libs Qt6Gui libzip) -lpthread
QT_QPA_PLATFORM=offscreen "$out/make-artwork" resources/orolith.png resources/orolith-icon.png
rm -rf "$out"
