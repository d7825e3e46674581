#!/usr/bin/env bash
# `cmake --install` of the build tree into a temporary prefix: every file the
# package ships is where the desktop, man, bash and the programs look for it,
# and the installed tessaline-cli compiles a source with the installed
# assembler, found beside it, and compile script, found in the helper folder.
#   installed_layout_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
cmake --install "$build" --prefix "$prefix" >/dev/null

for p in tessaline tessaline-cli tessaline-sim tessaline-asm tessaline-lab; do
    [ -x "$prefix/bin/$p" ] || fail "bin/$p not installed"
    [ -s "$prefix/share/man/man1/$p.1.gz" ] || fail "no manual page for $p"
done
[ -x "$prefix/lib/tessaline/tessaline-compile" ] || fail "lib/tessaline/tessaline-compile not installed"
[ ! -e "$prefix/bin/tessaline-compile" ] || fail "tessaline-compile installed in bin"
for f in applications/tessaline.desktop icons/hicolor/scalable/apps/tessaline.svg \
    metainfo/io.github.tessaline.Tessaline.metainfo.xml tessaline/examples/compteur.asm \
    tessaline/examples/compteur.s19 tessaline/examples/chenillard.asm tessaline/examples/chenillard.s19 \
    tessaline/examples/tension.asm tessaline/examples/tension.s19 \
    tessaline/examples/lcd.asm tessaline/examples/lcd.s19 tessaline/examples/clavier.asm \
    tessaline/examples/clavier.s19 \
    tessaline/help/index.html tessaline/help/aide.css bash-completion/completions/tessaline-cli \
    doc/tessaline/copyright doc/tessaline/changelog.gz; do
    [ -s "$prefix/share/$f" ] || fail "share/$f not installed"
done
# The metadata's newest release is the programs' version.
version=$("$prefix/bin/tessaline-asm" --version | cut -d' ' -f2)
grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" \
    "$prefix/share/metainfo/io.github.tessaline.Tessaline.metainfo.xml" || fail "no AppStream release $version"
# The desktop entry's icon and the metadata's launchable name installed files.
grep -qx "Icon=tessaline" "$prefix/share/applications/tessaline.desktop" || fail "the entry's icon"
# Its second action starts the simulated board.
sed -n '/^\[Desktop Action carte-simulee\]/,$p' "$prefix/share/applications/tessaline.desktop" |
    grep -qx "Exec=tessaline --simulate" || fail "the entry's simulated board action"
grep -q '<launchable type="desktop-id">tessaline.desktop</launchable>' \
    "$prefix/share/metainfo/io.github.tessaline.Tessaline.metainfo.xml" || fail "the metadata's launchable"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --no-color "$prefix/share/metainfo/io.github.tessaline.Tessaline.metainfo.xml" \
        >/dev/null || fail "appstreamcli validate"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/tessaline.desktop" || fail "desktop-file-validate"
fi

# A fresh settings file: the compile script and assembler take their defaults.
work="$prefix/work"
mkdir "$work"
cp "$prefix/share/tessaline/examples/compteur.asm" "$work/"
HOME="$work" "$prefix/bin/tessaline-cli" --settings "$work/t.ini" assemble "$work/compteur.asm" >"$work/out" 2>&1 ||
    { cat "$work/out" >&2; fail "the installed tessaline-cli did not compile the example"; }
grep -q "^S1" "$work/compteur.S19" || fail "no S1 record in compteur.S19"
echo "installed layout: every file in place, the example compiled from the prefix"
