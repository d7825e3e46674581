#!/usr/bin/env bash
# The main window's place across quit and restart under a real window manager:
# tessaline on the simulated board, on an X server of its own (Xvfb) with
# openbox, started on a fresh settings file, then quit with "Oui" (saving the
# configuration) and started again, three times. The frame, title bar
# included, must come back where it was to the pixel, and lie on the screen.
# Skips (exit 77) when Xvfb, openbox, xdotool or the X utilities are missing.
# Usage: window_manager_restart.sh BUILD_DIR [WIDTHxHEIGHT]
set -u
build=$1
ecran=${2:-1280x800}
programme=$build/bin/tessaline
for outil in Xvfb openbox xdotool xprop xwininfo; do
    if ! command -v "$outil" >/dev/null; then
        echo "SKIP: $outil is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

dossier=$(mktemp -d)
pids=()
finir() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$dossier"
}
trap finir EXIT
echec() {
    echo "FAIL: $*" >&2
    exit 1
}

# An X server on the first free display, and its window manager.
Xvfb -displayfd 3 -screen 0 "${ecran}x24" -nolisten tcp 3>"$dossier/display" 2>"$dossier/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$dossier/display" ] && break; sleep 0.1; done
[ -s "$dossier/display" ] || echec "Xvfb did not start: $(cat "$dossier/xvfb.log")"
export DISPLAY=:$(head -1 "$dossier/display")
openbox --sm-disable >"$dossier/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done
export QT_QPA_PLATFORM=xcb

# The frame of window $1 on the screen: left top width height (the window
# and the borders the window manager draws around it).
cadre() {
    local gauche droite haut bas x y l h
    read -r gauche droite haut bas < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    x=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p')
    l=$(xwininfo -id "$1" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$1" | sed -n 's/.*Height: *//p')
    echo "$((x - gauche)) $((y - haut)) $((l + gauche + droite)) $((h + haut + bas))"
}

# The visible windows named exactly "Tessaline" (the main window, then the
# exit question).
fenetres() {
    xdotool search --onlyvisible --name '^Tessaline$' 2>/dev/null
}

reference=
for cycle in 0 1 2 3; do
    "$programme" --simulate --settings "$dossier/t.ini" >"$dossier/tessaline$cycle.log" 2>&1 &
    tessaline=$!
    pids+=($tessaline)
    principale=
    for _ in $(seq 300); do
        principale=$(fenetres | head -1)
        [ -n "$principale" ] && xprop -id "$principale" _NET_FRAME_EXTENTS 2>/dev/null | grep -q "=" && break
        sleep 0.1
    done
    [ -n "$principale" ] || echec "cycle $cycle: no main window"
    # The start-up places the windows once its sequence runs: the frame is
    # read once it has kept still for a second.
    place=$(cadre "$principale")
    for _ in $(seq 30); do
        sleep 1
        nouvelle=$(cadre "$principale")
        [ "$nouvelle" = "$place" ] && break
        place=$nouvelle
    done
    echo "cycle $cycle: frame at $place"
    read -r x y l h <<<"$place"
    largeur=${ecran%x*}
    hauteur=${ecran#*x}
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + l)) -le "$largeur" ] && [ $((y + h)) -le "$hauteur" ] ||
        echec "cycle $cycle: the frame $place is not on the ${ecran} screen"
    if [ -z "$reference" ]; then
        # The first start fills most of the screen: not a size left over
        # from before the window manager granted the one asked for.
        [ $((l * 10)) -ge $((largeur * 8)) ] && [ $((h * 10)) -ge $((hauteur * 8)) ] ||
            echec "cycle $cycle: the first start's frame $place does not fill the ${ecran} screen"
        reference=$place
    elif [ "$place" != "$reference" ]; then
        echec "cycle $cycle: the frame came back at $place, not at $reference"
    fi

    # Quit as a user does: the window manager's close (Alt+F4), then Return
    # on the exit question, whose default button is Oui.
    xdotool windowactivate --sync "$principale" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 100); do [ "$(fenetres | wc -l)" -ge 2 ] && break; sleep 0.1; done
    [ "$(fenetres | wc -l)" -ge 2 ] || echec "cycle $cycle: no exit question"
    sleep 0.5
    xdotool key --clearmodifiers Return
    for _ in $(seq 300); do kill -0 "$tessaline" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$tessaline" 2>/dev/null && echec "cycle $cycle: tessaline did not end"
    grep -q "^MainTop=" "$dossier/t.ini" || echec "cycle $cycle: no layout saved"
done
echo "the main window's frame stayed at $reference through three restarts"
