#include "ui/files_window.h"

#include "link/control_names.h"
#include "link/regular_file.h"
#include "operations/source_paths.h"
#include "ui/asm_highlighter.h"
#include "ui/s19_view.h"
#include "ui/source_area.h"
#include "ui/source_references.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tessaline {

namespace {

const char* const Extensions[] = {"S19", "LST", "ASM", "SYM"};
const char* const NomsZones[] = {"rchtxtboxS19", "rchtxtboxLST", "rchtxtboxASM", "rchtxtboxSYM"};
const QString Chargement = QStringLiteral("Attendez SVP...  Chargement en Cours");

// A companion of the source: NAME.EXT, or NAME.ext when only that one exists
// (a case-sensitive file system tells them apart).
struct TexteLu {
    QString texte;
    bool crlf = false;
    bool latin1 = false;
};

// Sources come from many editors: UTF-8 when the bytes are valid UTF-8, else
// Latin-1, as older tools wrote them.
TexteLu lire(const QString& chemin) {
    TexteLu lu;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return lu;
    const QByteArray octets = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    lu.texte = utf8(octets);
    if (utf8.hasError()) {
        lu.texte = QString::fromLatin1(octets);
        lu.latin1 = true;
    }
    lu.crlf = lu.texte.contains(QLatin1String("\r\n"));
    lu.texte.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return lu;
}

} // namespace

FilesWindow::FilesWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , onglets_(new QTabWidget(this))
    , chemin_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmFichiers"));
    setWindowTitle(QStringLiteral("Fichiers"));
    onglets_->setObjectName(QStringLiteral("tabFichier"));
    const QFont police = fixedPitchFont(QStringLiteral("Fixedsys"), 9);
    for (int i = 0; i < 4; ++i) {
        RichTextArea* a = i == OngletASM ? new SourceArea(this) : new RichTextArea(this);
        a->setObjectName(QLatin1String(NomsZones[i]));
        a->setFont(police);
        a->setActionMenuEnabled(false);
        a->setLineWrapMode(QPlainTextEdit::NoWrap);
        if (i != OngletASM) a->setReadOnly(true);
        onglets_->addTab(a, QLatin1String(Extensions[i]));
    }
    // The S19 view's colours are those of a dark screen.
    QPalette sombre = zone(OngletS19)->palette();
    sombre.setColor(QPalette::Base, Qt::black);
    sombre.setColor(QPalette::Text, Qt::white);
    zone(OngletS19)->setPalette(sombre);
    new AsmHighlighter(source()->document());
    connect(source(), &QPlainTextEdit::textChanged, this, [this] {
        if (!chargement_) emit sourceEditee();
    });

    auto* barre = new QStatusBar(this);
    barre->setObjectName(QStringLiteral("stbFichier"));
    barre->setSizeGripEnabled(false);
    chemin_->setObjectName(QStringLiteral("chmFichier"));
    barre->addWidget(chemin_, 1);
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(4, 4, 4, 0);
    disposition->setSpacing(2);
    disposition->addWidget(onglets_, 1);
    disposition->addWidget(barre);
    onglets_->setCurrentIndex(OngletS19);
}

RichTextArea* FilesWindow::zone(int onglet) const {
    return qobject_cast<RichTextArea*>(onglets_->widget(onglet));
}

SourceArea* FilesWindow::source() const {
    return static_cast<SourceArea*>(zone(OngletASM));
}

void FilesWindow::vider() {
    chargement_ = true;
    for (int i = 0; i < 4; ++i) {
        zone(i)->clear();
        zone(i)->setExtraSelections({});
        onglets_->setTabText(i, QLatin1String(Extensions[i]));
    }
    source()->document()->setModified(false);
    chargement_ = false;
    session_.console.s19Present = false;
    session_.fichiers.NbOctetsS19 = 0;
}

bool FilesWindow::charger(int onglet, const QString& chemin, const QString& legende) {
    RichTextArea* a = zone(onglet);
    a->clear();
    a->setExtraSelections({});
    onglets_->setTabText(onglet, QLatin1String(Extensions[onglet]));
    if (chemin.isEmpty() || !QFileInfo(chemin).isFile()) return false;
    const TexteLu lu = lire(chemin);
    a->setPlainText(lu.texte);
    onglets_->setTabText(onglet, legende);
    if (onglet == OngletASM) {
        finsCRLF_ = lu.crlf;
        latin1_ = lu.latin1;
    }
    return true;
}

void FilesWindow::ChargerFichiers(bool garderSource) {
    Screen& ecran = session_.ecran();
    EtatFichiers& f = session_.fichiers;
    ecran.showWait(Chargement);
    const CheminDecoupe c = decouperChemin(f.FichierCourant);
    f.RepFichier = c.dossier;
    f.NomFichier = c.base;
    chemin_->setText(c.dossier + c.base);

    chargement_ = true;
    if (c.extension == QLatin1String("ASM") || c.extension == QLatin1String("A11")) {
        // The extension as the file system writes it.
        f.FichierASM = c.dossier + c.base + c.nom.mid(c.base.size());
        const QString legende = c.base + u'.' + c.extension;
        if (garderSource) {
            onglets_->setTabText(OngletASM, legende);
        } else if (charger(OngletASM, f.FichierASM, legende)) {
            source()->document()->setModified(false);
        }
    } else if (!garderSource) {
        source()->clear();
        onglets_->setTabText(OngletASM, QStringLiteral("ASM"));
        source()->document()->setModified(false);
    }
    chargement_ = false;

    f.FichierLST = compagnon(c.dossier, c.base, QStringLiteral("LST"));
    charger(OngletLST, f.FichierLST, c.base + QStringLiteral(".LST"));
    f.FichierSYM = compagnon(c.dossier, c.base, QStringLiteral("SYM"));
    charger(OngletSYM, f.FichierSYM, c.base + QStringLiteral(".SYM"));
    f.FichierS19 = compagnon(c.dossier, c.base, QStringLiteral("S19"));
    const bool s19 = charger(OngletS19, f.FichierS19, c.base + QStringLiteral(".S19"));
    if (s19) AfficheS19();
    session_.console.s19Present = s19;
    if (!s19) f.NbOctetsS19 = 0;
    // Load S19 and its verify need the Talker, and the target stopped in it.
    for (QLatin1StringView bouton : {controle::LoadS19, controle::VerifS19})
        ecran.setEnabled(bouton, s19 && session_.liaison.talkerPresent && !session_.liaison.cibleTourne);
    ecran.hideWait();
}

void FilesWindow::AfficheS19() {
    const QString& chemin = session_.fichiers.FichierS19;
    if (chemin.isEmpty() || !QFileInfo(chemin).isFile()) return;
    const VueS19 vue = vueS19(lire(chemin).texte.split(u'\n'));
    RichTextArea* a = zone(OngletS19);
    a->clear();
    for (const RunS19& r : vue.runs)
        a->appendRun(r.texte, r.couleur);
    a->moveCursor(QTextCursor::Start);
    session_.fichiers.NbOctetsS19 = vue.nbOctets;
}

bool FilesWindow::sourceModifiee() const {
    return source()->document()->isModified();
}

bool FilesWindow::enregistrerSource(const QString& chemin, QString* erreur) {
    QString texte = source()->toPlainText();
    if (finsCRLF_) texte.replace(u'\n', QLatin1String("\r\n"));
    // Latin-1 only when every character fits; else the file becomes UTF-8.
    const bool latin1 =
        latin1_ && std::all_of(texte.cbegin(), texte.cend(), [](QChar c) { return c.unicode() < 0x100; });
    QString refus;
    if (!enregistrerFichier(chemin, latin1 ? texte.toLatin1() : texte.toUtf8(), refus)) {
        if (erreur) *erreur = refus;
        return false;
    }
    source()->document()->setModified(false);
    return true;
}

void FilesWindow::montrerLigneSource(int ligne) {
    onglets_->setCurrentIndex(OngletASM);
    source()->montrerLigne(ligne);
}

bool FilesWindow::montrerAdresse(int adresse) {
    RichTextArea* listing = zone(OngletLST);
    if (listing->document()->isEmpty()) return false;
    const int ligne = ligneListingA(listing->toPlainText().split(u'\n'), adresse);
    if (ligne < 0) {
        listing->setExtraSelections({});
        return false;
    }
    onglets_->setCurrentIndex(OngletLST);
    surlignerLigne(listing, ligne);
    return true;
}

void FilesWindow::closeEvent(QCloseEvent* event) {
    // The window goes only with the program.
    if (quitting_)
        event->accept();
    else
        event->ignore();
}

} // namespace tessaline
