#include "ui/trace_window.h"

#include "ui/rich_text_area.h"
#include "ui/twips.h"

#include <QLabel>
#include <QScrollBar>
#include <QtMath>

namespace tessaline {

namespace {
// Sizes and places in twips of the client area. Each resize rule keeps the
// window's width or height less a fixed margin (frame and borders included).
constexpr int LargeurChargement = 8970;
constexpr int HauteurChargement = 4560;
constexpr int ZoneGauche = 210;
constexpr int ZoneHaut = 315;
constexpr int ZoneLargeurHors = 555;
constexpr int ZoneHauteurHors = 1215;
constexpr int TitresHaut = 30;
constexpr int TitresHauteur = 255;
constexpr int TempsGauche = 210;
constexpr int TempsLargeur = 1455;
constexpr int ActionsGauche = 1785;
constexpr int ActionsLargeurHors = 2160;

// A font most systems lack: where it is missing, a fixed-pitch one of the size.
const QString PoliceNom = QStringLiteral("Transl Eur");
constexpr double PoliceTaille = 9.75;
const QString TitresPoliceNom = QStringLiteral("MS Sans Serif");
constexpr double TitresPoliceTaille = 8.25;

const QString EnteteImpression = QStringLiteral("     Time     :                                   Action");
} // namespace

TraceWindow::TraceWindow(QWidget* parent)
    : AreaWindow(QStringLiteral("frmTraceCommandes"), QStringLiteral("Trace Commandes"),
                 {LargeurChargement, HauteurChargement}, parent)
    , temps_(new QLabel(QStringLiteral("Time"), this))
    , actions_(new QLabel(QStringLiteral("Actions"), this)) {
    QFont titres(TitresPoliceNom);
    titres.setPointSizeF(TitresPoliceTaille);
    titres.setStyleHint(QFont::SansSerif);
    temps_->setObjectName(QStringLiteral("lblTime"));
    actions_->setObjectName(QStringLiteral("lblActions"));
    for (QLabel* l : {temps_, actions_})
        l->setFont(titres);
    placer(temps_, TempsGauche, TitresHaut, TempsLargeur, TitresHauteur);

    RichTextArea* a = area();
    a->setObjectName(QStringLiteral("rictbTRACE"));
    a->setFont(fixedPitchFont(PoliceNom, PoliceTaille));
    a->setPrintHeading(EnteteImpression);
    placerTabulations();
    disposer(LargeurChargement, HauteurChargement);
}

void TraceWindow::placerTabulations() {
    RichTextArea* a = area();
    // From the area's text edge to the heading's left: the area's frame and
    // the document's margin come before the text.
    const qreal bord = a->frameWidth() + a->document()->documentMargin();
    const qreal actions = twipsEnPixels(ActionsGauche - ZoneGauche, this, Sens::Horizontal) - bord;
    a->setTabStops(actions, 2 * a->largeurCaractere());
}

int TraceWindow::largeurPourColonnes(int colonnes) const {
    const RichTextArea* a = area();
    const qreal bord = a->frameWidth() + a->document()->documentMargin();
    const qreal texte = twipsEnPixels(ActionsGauche - ZoneGauche, this, Sens::Horizontal) - bord +
                        (2 + colonnes) * a->largeurCaractere();
    const int barre = a->verticalScrollBar()->sizeHint().width();
    return qCeil(texte + 2 * bord + barre) + twipsEnPixels(ZoneLargeurHors, this, Sens::Horizontal);
}

void TraceWindow::disposer(double largeur, double hauteur) {
    placer(area(), ZoneGauche, ZoneHaut, largeur - ZoneLargeurHors, hauteur - ZoneHauteurHors);
    placer(actions_, ActionsGauche, TitresHaut, largeur - ActionsLargeurHors, TitresHauteur);
}

} // namespace tessaline
