// Where the windows stand on a first start, when no layout has been stored:
// the main window over most of the screen, and inside it the console, the
// registers window and the board's panel side by side along the top, the
// memory and trace windows side by side below them, none over another; the
// files window takes the rest of the top row. On a screen too narrow for the
// board's panel in the top row, the panel stands over the trace's bottom right
// corner.
#pragma once

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

} // namespace tessaline
