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

QList<QRect> mosaique(const QList<TuileFenetre>& fenetres, const QSize& zone, Qt::Orientation sens) {
    QList<QRect> places(fenetres.size());
    // The windows of one size along the top: each where its bottom is the
    // highest, then the leftest, beside or under those already placed, within
    // the zone's width when it can.
    QList<QRect> fixes;
    QList<qsizetype> autres;
    int y = 0;
    for (qsizetype i = 0; i < fenetres.size(); ++i) {
        const TuileFenetre& f = fenetres[i];
        if (!f.largeurFixe || !f.hauteurFixe) {
            autres << i;
            continue;
        }
        QList<QPoint> coins = {QPoint(0, y)};
        for (const QRect& r : fixes)
            coins << QPoint(r.right() + 1, r.top()) << QPoint(r.left(), r.bottom() + 1);
        QRect meilleure;
        for (const QPoint& c : coins) {
            const QRect essai(c, f.taille);
            if (essai.right() >= zone.width() && c.x() > 0) continue;
            if (std::any_of(fixes.cbegin(), fixes.cend(),
                            [&](const QRect& r) { return r.intersects(essai); }))
                continue;
            if (meilleure.isNull() || essai.bottom() < meilleure.bottom() ||
                (essai.bottom() == meilleure.bottom() && essai.left() < meilleure.left()))
                meilleure = essai;
        }
        places[i] = meilleure;
        fixes << meilleure;
        y = std::max(y, meilleure.bottom() + 1);
    }
    if (autres.isEmpty()) return places;

    // The others share the rest.
    const int n = int(autres.size());
    const int hauteurReste = std::max(zone.height() - y, 0);
    if (sens == Qt::Vertical) {
        int haut = y;
        for (int k = 0; k < n; ++k) {
            const TuileFenetre& f = fenetres[autres[k]];
            const int h = f.hauteurFixe ? f.taille.height()
                                        : std::max(hauteurReste * (k + 1) / n - hauteurReste * k / n,
                                                   f.minimum.height());
            const int w = f.largeurFixe ? f.taille.width() : std::max(zone.width(), f.minimum.width());
            places[autres[k]] = QRect(0, haut, w, h);
            haut += h;
        }
        return places;
    }
    int largeurFixes = 0, variables = 0;
    for (qsizetype i : autres) {
        if (fenetres[i].largeurFixe)
            largeurFixes += fenetres[i].taille.width();
        else
            ++variables;
    }
    const int largeurReste = std::max(zone.width() - largeurFixes, 0);
    int gauche = 0, v = 0;
    for (qsizetype i : autres) {
        const TuileFenetre& f = fenetres[i];
        int w = f.taille.width();
        if (!f.largeurFixe) {
            w = std::max(largeurReste * (v + 1) / variables - largeurReste * v / variables,
                         f.minimum.width());
            ++v;
        }
        const int h = f.hauteurFixe ? f.taille.height() : std::max(hauteurReste, f.minimum.height());
        places[i] = QRect(gauche, y, w, h);
        gauche += w;
    }
    return places;
}

QList<QRect> cascade(const QList<TuileFenetre>& fenetres, const QSize& zone, int pas) {
    QList<QRect> places;
    for (qsizetype i = 0; i < fenetres.size(); ++i) {
        const TuileFenetre& f = fenetres[i];
        const QPoint coin(int(i) * pas, int(i) * pas);
        // The resizable ones all of one size: the last one reaches the
        // zone's bottom right corner.
        const int fin = int(fenetres.size() - 1 - i) * pas;
        const int w =
            f.largeurFixe ? f.taille.width() : std::max(zone.width() - coin.x() - fin, f.minimum.width());
        const int h =
            f.hauteurFixe ? f.taille.height() : std::max(zone.height() - coin.y() - fin, f.minimum.height());
        places << QRect(coin, QSize(w, h));
    }
    return places;
}

CoteACote aCoteDe(const QRect& question, const QSize& voulue, const QSize& minimum, const QRect& ecran) {
    CoteACote r{ramenerDans(question, ecran), {}};
    const int hauteur = std::min(voulue.height(), ecran.height());
    const auto placer = [&](const QRect& q) {
        const int droite = ecran.right() - q.right();
        const int gauche = q.left() - ecran.left();
        const int place = std::max(droite, gauche);
        const int largeur = std::min(voulue.width(), place);
        QRect aide(0, 0, std::max(largeur, 0), hauteur);
        if (droite >= gauche)
            aide.moveLeft(q.right() + 1);
        else
            aide.moveRight(q.left() - 1);
        aide.moveTop(q.top());
        aide = ramenerDans(aide, ecran);
        return std::pair{aide, largeur >= minimum.width()};
    };
    auto [aide, tient] = placer(r.question);
    if (!tient) {
        // The question at the screen's left edge, the help on its right.
        QRect q = r.question;
        q.moveLeft(ecran.left());
        const auto [aideADroite, tientADroite] = placer(q);
        if (tientADroite) {
            r.question = q;
            aide = aideADroite;
        } else {
            // Too narrow for both: the help at its smallest over the screen's right.
            aide = QRect(ecran.right() + 1 - minimum.width(), ecran.top(), minimum.width(), hauteur);
            aide = ramenerDans(aide, ecran);
        }
    }
    r.aide = aide;
    return r;
}

} // namespace tessaline
