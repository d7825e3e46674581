#include "ui/files_window.h"

#include "link/control_names.h"
#include "link/regular_file.h"
#include "operations/breakpoint_table.h"
#include "operations/compilation.h"
#include "operations/console_command_table.h"
#include "operations/console_commands.h"
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
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

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
    , s19AncienBandeau_(new QLabel(this))
    , chemin_(new QLabel(this))
    , bilan_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmFichiers"));
    setWindowTitle(QStringLiteral("Fichiers"));
    onglets_->setObjectName(QStringLiteral("tabFichier"));
    const QFont police = fixedPitchFont(QStringLiteral("Fixedsys"), 9);
    for (int i = 0; i < 4; ++i) {
        RichTextArea* a = i == OngletASM   ? new SourceArea(this)
                          : i == OngletLST ? new SourceArea(this, false)
                                           : new RichTextArea(this);
        a->setObjectName(QLatin1String(NomsZones[i]));
        a->setFont(police);
        a->setActionMenuEnabled(false);
        a->setLineWrapMode(QPlainTextEdit::NoWrap);
        if (i != OngletASM) a->setReadOnly(true);
        zones_[size_t(i)] = a;
        if (i != OngletS19) {
            onglets_->addTab(a, QLatin1String(Extensions[i]));
            continue;
        }
        // The S19 tab heads its view with a warning while the source is newer
        // than the S-records: the program they hold is not the source shown.
        auto* page = new QWidget(this);
        auto* colonne = new QVBoxLayout(page);
        colonne->setContentsMargins(0, 0, 0, 0);
        colonne->setSpacing(0);
        s19AncienBandeau_->setObjectName(QStringLiteral("lblS19Ancien"));
        s19AncienBandeau_->setWordWrap(true);
        s19AncienBandeau_->setMargin(4);
        s19AncienBandeau_->setStyleSheet(QStringLiteral("background: #fff3b0; color: #7a0000;"));
        s19AncienBandeau_->hide();
        colonne->addWidget(s19AncienBandeau_);
        colonne->addWidget(a, 1);
        onglets_->addTab(page, QLatin1String(Extensions[i]));
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
    connect(source()->document(), &QTextDocument::modificationChanged, this,
            &FilesWindow::actualiserS19Ancien);
    // The listing is only read.
    listing()->setUndoRedoEnabled(false);
    listing()->setTabChangesFocus(true);
    for (int onglet : {int(OngletLST), int(OngletASM)}) {
        auto* a = static_cast<SourceArea*>(zone(onglet));
        connect(a, &SourceArea::margeCliquee, this,
                [this, onglet](int index) { basculerPoint(onglet, index); });
        // The marks stand on lines: they follow a listing loaded and a source edited.
        connect(a, &QPlainTextEdit::blockCountChanged, this, &FilesWindow::actualiserPoints);
    }

    auto* barre = new QStatusBar(this);
    barre->setObjectName(QStringLiteral("stbFichier"));
    barre->setSizeGripEnabled(false);
    chemin_->setObjectName(QStringLiteral("chmFichier"));
    barre->addWidget(chemin_, 1);
    // How the last compile ended, in this window's own bar: a maximised files
    // window shows it too.
    bilan_->setObjectName(QStringLiteral("lblCompilation"));
    barre->addPermanentWidget(bilan_);
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(4, 4, 4, 0);
    disposition->setSpacing(2);
    disposition->addWidget(onglets_, 1);
    disposition->addWidget(barre);
    onglets_->setCurrentIndex(OngletS19);
}

RichTextArea* FilesWindow::zone(int onglet) const {
    return onglet >= 0 && onglet < 4 ? zones_[size_t(onglet)] : nullptr;
}

SourceArea* FilesWindow::source() const {
    return static_cast<SourceArea*>(zone(OngletASM));
}

SourceArea* FilesWindow::listing() const {
    return static_cast<SourceArea*>(zone(OngletLST));
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
    oublierS19();
    bilan_->clear();
    actualiserS19Ancien();
    actualiserPoints();
    prendreSymboles();
}

void FilesWindow::prendreSymboles() {
    // The tab holds the file as read (or nothing): no second read.
    session_.symboles = analyserSymboles(zone(OngletSYM)->toPlainText().toUtf8());
    emit symbolesCharges();
}

void FilesWindow::oublierS19() {
    Screen& ecran = session_.ecran();
    ecran.setEnabled(controle::LoadS19, false);
    ecran.setEnabled(controle::VerifS19, false);
    if (session_.console.CmdCourante != code::LoadS19 && session_.console.CmdCourante != code::VerifS19)
        return;
    selectionnerCommande(session_, code::Aucune, QString());
    ecran.setEnabled(controle::Executer, false);
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
    prendreSymboles();
    f.FichierS19 = compagnon(c.dossier, c.base, QStringLiteral("S19"));
    const bool s19 = charger(OngletS19, f.FichierS19, c.base + QStringLiteral(".S19"));
    if (s19) AfficheS19();
    session_.console.s19Present = s19;
    if (!s19) {
        f.NbOctetsS19 = 0;
        oublierS19();
    } else {
        // Load S19 and its verify need the Talker, and the target stopped in it.
        for (QLatin1StringView bouton : {controle::LoadS19, controle::VerifS19})
            ecran.setEnabled(bouton, session_.liaison.talkerPresent && !session_.liaison.cibleTourne);
    }
    actualiserS19Ancien();
    actualiserPoints();
    ecran.hideWait();
}

void FilesWindow::actualiserS19Ancien() {
    const EtatFichiers& f = session_.fichiers;
    const QFileInfo s19(f.FichierS19);
    const QFileInfo source(f.FichierASM);
    s19Ancien_ = session_.console.s19Present && !f.FichierASM.isEmpty() && s19.isFile() && source.isFile() &&
                 (sourceModifiee() || source.lastModified() > s19.lastModified());
    const QString texte =
        s19Ancien_
            ? QStringLiteral("Le source %1 est plus r\u00e9cent que ce S19 : ce programme n'est pas "
                             "celui du source. Compilez-le (Fichier > Compiler) pour le mettre \u00e0 jour.")
                  .arg(source.fileName())
            : QString();
    s19AncienBandeau_->setText(texte);
    s19AncienBandeau_->setVisible(s19Ancien_);
    onglets_->setTabIcon(OngletS19,
                         s19Ancien_ ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
    onglets_->setTabToolTip(OngletS19, texte);
}

void FilesWindow::montrerBilanCompilation(const BilanCompilation& bilan) {
    // A compile that could not start has said why in a message box.
    if (!bilan.lance) {
        bilan_->clear();
        return;
    }
    QString texte;
    bool echec = true;
    if (bilan.reussi()) {
        texte = QStringLiteral("Compilation r\u00e9ussie");
        echec = false;
    } else if (!bilan.termine) {
        texte = QStringLiteral("Compilation interrompue");
    } else if (bilan.lignesErreur > 0) {
        texte = QStringLiteral("Erreurs de compilation (voir la trace)");
    } else {
        texte = QStringLiteral("Compilation \u00e9chou\u00e9e (code %1)").arg(bilan.statut);
    }
    if (echec)
        texte +=
            QStringLiteral(" ; S19, LST et SYM de la derni\u00e8re compilation r\u00e9ussie conserv\u00e9s");
    bilan_->setText(texte);
    bilan_->setStyleSheet(echec ? QStringLiteral("color: #c00000; font-weight: bold;")
                                : QStringLiteral("color: #008000;"));
}

QString FilesWindow::texteBilanCompilation() const {
    return bilan_->text();
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
    actualiserS19Ancien();
    return true;
}

void FilesWindow::montrerLigneSource(int ligne) {
    onglets_->setCurrentIndex(OngletASM);
    source()->montrerLigne(ligne);
}

bool FilesWindow::montrerAdresse(int adresse) {
    SourceArea* l = listing();
    if (l->document()->isEmpty()) return false;
    const QStringList lignes = l->toPlainText().split(u'\n');
    const int ligne = ligneListingA(lignes, adresse);
    const int ligneSource = ligneSourceA(lignes, adresse);
    const bool dansSource =
        ligneSource >= 1 && ligneSource <= source()->blockCount() && !source()->document()->isEmpty();
    surlignerLigne(l, ligne);
    surlignerLigne(source(), dansSource ? ligneSource - 1 : -1);
    if (ligne < 0) return false;
    onglets_->setCurrentIndex(dansSource && onglets_->currentIndex() != OngletLST ? OngletASM : OngletLST);
    return true;
}

std::optional<int> FilesWindow::adresseLigne(int onglet, int index) const {
    if (index < 0) return std::nullopt;
    if (onglet == OngletLST) {
        if (index >= listing()->blockCount()) return std::nullopt;
        return adresseCodeListing(listing()->document()->findBlockByNumber(index).text());
    }
    if (onglet != OngletASM || index >= source()->blockCount()) return std::nullopt;
    const QMap<int, int> adresses = adressesSource(listing()->toPlainText().split(u'\n'));
    if (const auto a = adresses.constFind(index + 1); a != adresses.constEnd()) return *a;
    return std::nullopt;
}

std::optional<int> FilesWindow::adresseSousCurseur() const {
    const int onglet = onglets_->currentIndex();
    if (onglet != OngletLST && onglet != OngletASM) return std::nullopt;
    return adresseLigne(onglet, zone(onglet)->textCursor().blockNumber());
}

void FilesWindow::actualiserPoints() {
    QMap<int, bool> parAdresse;
    for (const PointArret& p : session_.points.liste)
        parAdresse.insert(p.adresse, p.actif);
    QMap<int, bool> marquesListing, marquesSource;
    if (!parAdresse.isEmpty()) {
        const QStringList lignes = listing()->toPlainText().split(u'\n');
        for (qsizetype i = 0; i < lignes.size(); ++i)
            if (const std::optional<int> a = adresseCodeListing(lignes[i]); a && parAdresse.contains(*a))
                marquesListing.insert(int(i), parAdresse.value(*a));
        const QMap<int, int> adresses = adressesSource(lignes);
        for (auto it = adresses.cbegin(); it != adresses.cend(); ++it)
            if (parAdresse.contains(it.value()) && it.key() <= source()->blockCount())
                marquesSource.insert(it.key() - 1, parAdresse.value(it.value()));
    }
    listing()->setMarques(marquesListing);
    source()->setMarques(marquesSource);
}

void FilesWindow::basculerPoint(int onglet, int index) {
    const std::optional<int> adresse = adresseLigne(onglet, index);
    // A line without code, or an exchange under way that the plant or the
    // removal must not run inside.
    if (!adresse || session_.horloge().dansUneAttente()) {
        session_.ecran().beep();
        return;
    }
    const bool present = std::any_of(session_.points.liste.cbegin(), session_.points.liste.cend(),
                                     [&](const PointArret& p) { return p.adresse == *adresse; });
    if (present)
        retirerPoint(session_, *adresse);
    else
        ajouterPoint(session_, *adresse);
    actualiserPoints();
    emit pointsModifies();
}

void FilesWindow::closeEvent(QCloseEvent* event) {
    // The window goes only with the program.
    if (quitting_)
        event->accept();
    else
        event->ignore();
}

} // namespace tessaline
