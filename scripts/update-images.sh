#!/usr/bin/env bash
# The stored images of the 68HC11 sources are what tessaline-asm makes of them:
# the build assembles every source (build/<folder>/NAME.S19, and for the Talker
# build/src/link/talker/talker_image.cpp), and each stored twin must be that file,
# byte for byte:
#   src/link/talker_image.cpp        the host's copy of src/link/talker.asm
#   examples/NAME.s19                examples/NAME.asm
#   tests/sim/programs/NAME.s19      tests/sim/programs/NAME.asm
#
#   scripts/update-images.sh [BUILD_DIR]        builds the images, then copies each
#                                               over its stored twin (default build/)
#   scripts/update-images.sh --check BUILD_DIR  fails naming every stored image that
#                                               differs from the build's (a test)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
check=no
if [ "${1:-}" = "--check" ]; then
    check=yes
    shift
fi
[ $# -le 1 ] || { echo "usage: $0 [--check] [BUILD_DIR]" >&2; exit 2; }
build=$(cd "${1:-$here/build}" && pwd)

# The pairs: built file, stored file.
pairs=("$build/src/link/talker/talker_image.cpp" "$here/src/link/talker_image.cpp")
for folder in examples tests/sim/programs; do
    for source in "$here/$folder"/*.asm; do
        name=$(basename "$source" .asm)
        pairs+=("$build/$folder/$name.S19" "$here/$folder/$name.s19")
    done
done

if [ $check = no ]; then
    cmake --build "$build" --target talker_image examples test_programs
fi
stale=0
for ((i = 0; i < ${#pairs[@]}; i += 2)); do
    built=${pairs[i]} stored=${pairs[i + 1]}
    [ -f "$built" ] || { echo "$built: not built" >&2; exit 1; }
    cmp -s "$built" "$stored" && continue
    if [ $check = yes ]; then
        echo "${stored#"$here"/} is not the assembly of its source: run scripts/update-images.sh" >&2
        stale=$((stale + 1))
    else
        cp "$built" "$stored"
        echo "updated ${stored#"$here"/}"
    fi
done
[ $stale -eq 0 ] || exit 1
[ $check = no ] || echo "stored images: $((${#pairs[@]} / 2)) files, each the assembly of its source"
