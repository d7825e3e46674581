#include "ui/memory_window.h"

#include "ui/rich_text_area.h"
#include "ui/twips.h"

#include <QLabel>

namespace tessaline {

namespace {
// Sizes and places in twips of the client area.
constexpr int Largeur = 8325; // fixed
constexpr int HauteurChargement = 3165;
constexpr int ZoneGauche = 225;
constexpr int ZoneHaut = 375;
// The area holds a dump line's 69 columns and a vertical scroll bar.
constexpr int ZoneLargeur = 7875;
// Between the window's height and the area's: frame, heading and margins.
constexpr int HauteurHorsZone = 1020;
// The heading stands over the dump lines' byte columns: the area's left edge,
// its one-pixel border, and the four address digits and blank of each line.
constexpr int EnteteGauche = 780;
constexpr int EnteteHaut = 120;

constexpr double PoliceTaille = 9;
const QString PoliceNom = QStringLiteral("Courier New");

const QString Colonnes = QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 0123456789ABCDEF");
// The printed heading puts the columns over the dump lines' own.
const QString EnteteImpression = QStringLiteral("     ") + Colonnes;
} // namespace

MemoryWindow::MemoryWindow(QWidget* parent)
    : AreaWindow(QStringLiteral("frmMemoire"), QStringLiteral("Plan M\u00e9moire"),
                 {Largeur, HauteurChargement}, parent)
    , adresse_(new QLabel(Colonnes, this)) {
    const QFont police = fixedPitchFont(PoliceNom, PoliceTaille);
    adresse_->setObjectName(QStringLiteral("labADRESSE"));
    adresse_->setFont(police);
    adresse_->move(twipsEnPixels(EnteteGauche, this, Sens::Horizontal),
                   twipsEnPixels(EnteteHaut, this, Sens::Vertical));
    adresse_->adjustSize();

    RichTextArea* a = area();
    a->setObjectName(QStringLiteral("rictbMEMOIRE"));
    a->setFont(police);
    // Dump lines stay whole; the text starts right inside the border so that
    // the heading's columns stand over it.
    a->setLineWrapMode(QPlainTextEdit::NoWrap);
    a->document()->setDocumentMargin(0);
    a->setPrintHeading(EnteteImpression);
    // A tab every eight columns of the dump's font.
    a->setTabStops(8 * a->largeurCaractere(), 8 * a->largeurCaractere());
    disposer(Largeur, HauteurChargement);
}

void MemoryWindow::disposer(double largeur, double hauteur) {
    // The width snaps back; a maximised window keeps the width of its frame.
    if (twipsEnPixels(largeur, this) != twipsEnPixels(Largeur, this) && !cadre()->isMaximized())
        setWindowSizeTwips(QSize(Largeur, qRound(hauteur)));
    placer(area(), ZoneGauche, ZoneHaut, ZoneLargeur, hauteur - HauteurHorsZone);
}

} // namespace tessaline
