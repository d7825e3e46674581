// Where the windows stand on a first start, when no layout has been stored:
// the main window over most of the screen, and inside it the console, the
// registers window and the board's panel side by side along the top, the
// memory and trace windows side by side below them, none over another; the
// files window takes the rest of the top row. On a screen too narrow for the
// board's panel in the top row, the panel stands over the trace's bottom right
// corner.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace tessaline {

struct TaillesFenetres {
    QSize console;   // fixed, frame included
    QSize registres; // fixed, frame included
    QSize carte;     // fixed, frame included; empty without a simulated board
    int largeurMemoire = 0;
    // What the main window's frame, menus, toolbar and status bar take around
    // the area of the child windows.
    QSize pourtour;
};

struct PremiereDisposition {
    QRect principale; // the main window's inside, in screen coordinates
    QRect console, registres, carte, memoire, trace, fichiers; // in the area of the child windows
};

// `ecran`: the screen's available geometry.
PremiereDisposition premiereDisposition(const QRect& ecran, const TaillesFenetres& tailles);

// `fenetre` moved (not resized) so that as much of it as fits lies inside `dans`,
// its top-left corner first.
QRect ramenerDans(const QRect& fenetre, const QRect& dans);

// A child window as the Window menu's arrangements see it: its size now, the
// dimensions it keeps (the console, the registers window and the board's
// panel keep both, the memory window its width) and the least it can take.
struct TuileFenetre {
    QSize taille;
    bool largeurFixe = false;
    bool hauteurFixe = false;
    QSize minimum;
};

// Mosaïque: the windows of fixed size along the top, each where its bottom
// is the highest, the others below them, one under another (Qt::Vertical:
// horizontal strips) or side by side (Qt::Horizontal), sharing what is left of
// `zone`. No two overlap; when the minimum sizes need more than the zone, the
// arrangement runs past it and the area scrolls.
QList<QRect> mosaique(const QList<TuileFenetre>& fenetres, const QSize& zone, Qt::Orientation sens);

// Cascade: each window `pas` pixels right of and below the one before, so
// that every title bar shows; the resizable ones all of one size, the last
// reaching the zone's bottom right corner (at least their minimum), the
// others at their size.
QList<QRect> cascade(const QList<TuileFenetre>& fenetres, const QSize& zone, int pas);

// A window opened beside another that must stay in sight (the help beside the
// question that asked for it). Frames, title bars included, in screen
// coordinates.
struct CoteACote {
    QRect question; // where the question stands (moved only when the help could not fit beside it)
    QRect aide;
};

// The help, `voulue` at most and `minimum` at least, beside `question` on the
// side with more room, inside `ecran` (the available geometry); when neither
// side has room for `minimum`, the question moves to the screen's left edge
// and the help takes the room on its right. They overlap only on a screen
// narrower than the two together at their smallest.
CoteACote aCoteDe(const QRect& question, const QSize& voulue, const QSize& minimum, const QRect& ecran);

} // namespace tessaline
