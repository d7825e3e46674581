#!/usr/bin/env bash
# Each program's manual page is in step with its --help: every option the one
# names, the other names too, and every entry the help lists at the head of a
# line (tessaline-cli's commands, tessaline-sim's options and panel commands)
# heads an entry of the page, and back. Then tessaline-cli's bash completion
# offers every command of its --help, first and after "--".
#   manual_pages_test.sh BIN_DIR MAN_DIR COMPLETION
# MAN_DIR holds NAME.1 or NAME.1.gz (the build's packaging/man, or an installed
# man1 folder).
set -euo pipefail
bin=$1 man=$2 completion=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The page's text with roff's escapes taken out, without its examples (which may
# show other programs' options).
page() {
    local f=$man/$1.1
    { if [ -f "$f" ]; then cat "$f"; else zcat "$f.gz"; fi; } |
        sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(aq/'"'"'/g' -e 's/\\e/\\/g' -e 's/\\&//g' |
        awk '/^\.SH/ { exemples = ($2 == "EXAMPLES") } !exemples'
}
# The first word of the line after each .TP, without quotes and a final comma.
headings() { awk 'prev == ".TP" { sub(/^\.[A-Z]+ /, ""); gsub(/"/, ""); split($0, w, " "); print w[1] } { prev = $1 }' |
    sed 's/,$//' | sort -u; }
# The options a text names.
options() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
# The first word of each help line indented by two blanks.
entries() { grep -E '^  [a-z-]' | awk '{ print $1 }' | sed 's/,$//' | sort -u; }

for p in tessaline tessaline-cli tessaline-sim tessaline-asm tessaline-lab; do
    aide=$("$bin/$p" --help) || fail "$p --help"
    texte=$(page "$p") || fail "no manual page for $p in $man"
    manque=$(comm -23 <(options <<<"$aide") <(options <<<"$texte"))
    [ -z "$manque" ] || fail "$p: the manual page lacks $(echo $manque)"
    manque=$(comm -13 <(options <<<"$aide") <(options <<<"$texte"))
    [ -z "$manque" ] || fail "$p: the manual page names $(echo $manque), which --help does not"
    tetes=$(headings <<<"$texte" | grep -E '^-?-?[a-z]' || true)
    manque=$(comm -23 <(entries <<<"$aide") <(echo "$tetes"))
    [ -z "$manque" ] || fail "$p: no entry in the manual page for $(echo $manque)"
    manque=$(comm -13 <(entries <<<"$aide") <(grep -v -- '^-' <<<"$tetes" || true))
    [ -z "$manque" ] || fail "$p: the manual page has entries $(echo $manque) that --help does not list"
done

commandes=$("$bin/tessaline-cli" --help | sed -n '/^commands:/,$p' | entries)
[ "$(wc -l <<<"$commandes")" -ge 19 ] || fail "tessaline-cli --help lists only: $(echo $commandes)"
offertes() {
    # shellcheck source=/dev/null
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tessaline_cli
             printf "%s\n" "${COMPREPLY[@]}"' - "$completion" "$@" | sort -u
}
for mots in "tessaline-cli|" "tessaline-cli|--simulate|info|--|"; do
    IFS='|' read -r -a m <<<"$mots|"
    manque=$(comm -23 <(echo "$commandes") <(offertes "${m[@]}"))
    [ -z "$manque" ] || fail "the completion after '${m[*]}' does not offer $(echo $manque)"
done
echo "manual pages: in step with the five programs' --help; the completion offers the $(wc -l <<<"$commandes") commands"
