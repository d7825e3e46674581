#include "ui/first_layout.h"

#include <algorithm>

namespace tessaline {

namespace {
// The main window leaves this share of the screen free on each side.
constexpr int MargeEcranPourMille = 20;
// Room for the decorations the window manager adds around the inside.
constexpr int BarreTitre = 30;
constexpr int BordsFenetre = 8;
} // namespace

PremiereDisposition premiereDisposition(const QRect& ecran, const TaillesFenetres& t) {
    PremiereDisposition d;
    const int margeX = ecran.width() * MargeEcranPourMille / 1000;
    const int margeY = ecran.height() * MargeEcranPourMille / 1000;
    // The frame's top-left corner, and the inside's size less what a window
    // manager's title bar and borders take.
    const QRect cadre = ecran.adjusted(margeX, margeY, -margeX, -margeY);
    d.principale = QRect(cadre.topLeft(), cadre.size() - QSize(BordsFenetre, BarreTitre + BordsFenetre));
    const QSize zone = d.principale.size() - t.pourtour;

    // Along the top: console, registers, board.
    d.console = QRect(QPoint(0, 0), t.console);
    d.registres = QRect(QPoint(d.console.right() + 1, 0), t.registres);
    d.carte = QRect(QPoint(d.registres.right() + 1, 0), t.carte);
    // A screen too narrow for the board's panel beside them (1024 pixels): the
    // panel stands in the bottom right corner, over the end of the trace, and
    // the files window takes the rest of the top row.
    const bool carteEnHaut = d.carte.right() < zone.width();
    if (!carteEnHaut)
        d.carte.moveTopLeft(QPoint(std::max(zone.width() - t.carte.width(), 0),
                                   std::max(zone.height() - t.carte.height(), 0)));
    const int haut = std::max({t.console.height(), t.registres.height(), carteEnHaut ? t.carte.height() : 0});
    // Below: the memory window at its width, the trace over the rest.
    const int hauteur = std::max(zone.height() - haut, 0);
    d.memoire = QRect(0, haut, t.largeurMemoire, hauteur);
    d.trace = QRect(t.largeurMemoire, haut, std::max(zone.width() - t.largeurMemoire, 0), hauteur);
    const int droite = (t.carte.isEmpty() || !carteEnHaut ? d.registres : d.carte).right() + 1;
    d.fichiers = QRect(droite, 0, std::max(zone.width() - droite, 0), haut);
    return d;
}

QRect ramenerDans(const QRect& fenetre, const QRect& dans) {
    QRect r = fenetre;
    r.moveLeft(std::max(dans.left(), std::min(r.left(), dans.right() + 1 - r.width())));
    r.moveTop(std::max(dans.top(), std::min(r.top(), dans.bottom() + 1 - r.height())));
    return r;
}

} // namespace tessaline
