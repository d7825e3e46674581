#include "ui/file_commands.h"

#include "link/screen.h"
#include "operations/source_paths.h"
#include "ui/files_window.h"
#include "ui/rich_text_area.h"
#include "ui/text_printing.h"
#include "ui/trace_links.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QTabWidget>
#include <QTextDocumentFragment>

namespace tessaline {

namespace {

const QString Titre = QStringLiteral("Tessaline");
// Both cases of each extension: a case-sensitive file system tells them apart.
const QString FiltresOuvrir = QStringLiteral("Fichiers Motorola (*.S19 *.s19);;Fichiers Assembleur (*.ASM "
                                             "*.asm);;Fichiers Assembleur (*.A11 *.a11)");
const QString FiltreASM = QStringLiteral("Fichiers Assembleur (*.ASM *.asm)");
const QString SourceModifie = QStringLiteral("Le fichier source a \u00e9t\u00e9 modifi\u00e9.\n"
                                             "Voulez-vous enregistrer les modifications ?");
const QString CompilerModifie = QStringLiteral("Le fichier source a \u00e9t\u00e9 modifi\u00e9.\n"
                                               "Voulez-vous l'enregistrer avant de le compiler ?");
const QString NomSource = QStringLiteral("Le nom du fichier source doit se terminer par .ASM ou .A11 "
                                         "et ne contenir qu'un seul point.");

// The area's font when the system has it; else (the areas ask for the screen
// font Fixedsys) Courier New in bold, at the same size.
QFont policeImpression(const QFont& zone) {
    if (QFontInfo(zone).family().compare(zone.family(), Qt::CaseInsensitive) == 0) return zone;
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSizeF(zone.pointSizeF());
    courier.setBold(true);
    return courier;
}

} // namespace

DialoguesFichier dialoguesQt() {
    DialoguesFichier d;
    d.ouvrir = [](QWidget* parent, const QString& filtres, const QString& filtreChoisi) {
        QString choisi = filtreChoisi;
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filtres, &choisi);
    };
    d.enregistrer = [](QWidget* parent, const QString& filtres) {
        return QFileDialog::getSaveFileName(parent, QString(), QString(), filtres);
    };
    d.imprimante = [](QWidget* parent, QPrinter& printer, bool selection) {
        QPrintDialog dialogue(&printer, parent);
        dialogue.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialogue.setOption(QAbstractPrintDialog::PrintSelection, selection);
        if (selection) dialogue.setPrintRange(QAbstractPrintDialog::Selection);
        return dialogue.exec() == QDialog::Accepted;
    };
    return d;
}

FileCommands::FileCommands(Session& session, FilesWindow* fichiers, QWidget* fenetre, QPlainTextEdit* trace)
    : QObject(fichiers)
    , dialogues(dialoguesQt())
    , session_(session)
    , fichiers_(fichiers)
    , fenetre_(fenetre)
    , trace_(trace)
    , liens_(new TraceLinks(trace))
    , imprimante_(std::make_unique<QPrinter>()) {
    connect(liens_, &TraceLinks::ligneCitee, this, [this](const ReferenceSource& r) {
        // Only the current source's lines: the report may name others.
        if (decouperChemin(r.fichier).base.compare(session_.fichiers.NomFichier, Qt::CaseInsensitive) != 0)
            return;
        fichiers_->montrerLigneSource(r.ligne);
    });
    connect(fichiers_, &FilesWindow::sourceEditee, this, [this] {
        QAction* compile = action(QStringLiteral("mnuFileCompile"));
        if (compile && !compile->isEnabled()) ActiveCommandesFichier(true);
    });
    ActiveCommandesFichier(false);
}

FileCommands::~FileCommands() = default;

QAction* FileCommands::action(const QString& nom) const {
    return fenetre_->findChild<QAction*>(nom);
}

void FileCommands::activer(const char* menu, const char* outil, bool actif) {
    if (QAction* a = action(QLatin1String(menu))) a->setEnabled(actif);
    if (QAction* a = action(QStringLiteral("tbr") + QLatin1String(outil))) a->setEnabled(actif);
}

void FileCommands::ActiveCommandesFichier(bool actif) {
    activer("mnuFileCompile", "Compile", actif);
    activer("mnuFileSave", "Save", actif);
    activer("mnuFileSaveAs", "SaveAs", actif);
    activer("mnuFilePrint", "Print", actif);
}

bool FileCommands::modificationsReglees() {
    if (!fichiers_->sourceModifiee()) return true;
    switch (session_.ecran().message(SourceModifie, Titre, Icone::Exclamation, Boutons::OuiNonAnnuler)) {
    case Reponse::Oui: return enregistrer();
    case Reponse::Non: return true;
    default: return false;
    }
}

void FileCommands::ouvrir() {
    if (!modificationsReglees()) return;
    const QString chemin = dialogues.ouvrir(fenetre_, FiltresOuvrir, FiltreASM);
    if (chemin.isEmpty()) return;
    session_.fichiers.FichierCourant = chemin;
    ouvrirCourant(true);
}

void FileCommands::ouvrirCourant(bool miseAJourListe) {
    EtatFichiers& f = session_.fichiers;
    f.FichierASM.clear();
    f.FichierLST.clear();
    f.FichierSYM.clear();
    f.FichierS19.clear();
    f.NomFichier.clear();
    fichiers_->vider();
    if (QWidget* cadre = fichiers_->parentWidget()) {
        cadre->showNormal();
        cadre->raise();
    }
    fichiers_->showNormal();
    fichiers_->raise();
    fichiers_->ChargerFichiers();
    ActiveCommandesFichier(true);
    if (miseAJourListe) MiseAJourMRU();
}

void FileCommands::cocherMRU(int index) {
    for (int i = 0; i < 4; ++i)
        if (QAction* a = action(nomIndexe(QStringLiteral("mnuFileMRU"), i))) {
            a->setCheckable(true);
            a->setChecked(i == index);
        }
}

void FileCommands::fichierRecent(int index) {
    if (index < 0 || index > 3) return;
    if (!modificationsReglees()) return;
    cocherMRU(index);
    const QString chemin = session_.config.FichiersRecents[size_t(index)];
    if (chemin.isEmpty()) return;
    session_.fichiers.FichierCourant = chemin;
    ouvrirCourant(false);
}

void FileCommands::afficherMRU() {
    bool un = false;
    for (int i = 0; i < 4; ++i) {
        const QString& chemin = session_.config.FichiersRecents[size_t(i)];
        if (QAction* a = action(nomIndexe(QStringLiteral("mnuFileMRU"), i))) {
            a->setText(QStringLiteral(" %1 %2").arg(i + 1).arg(chemin));
            a->setVisible(!chemin.isEmpty());
        }
        un = un || !chemin.isEmpty();
    }
    if (QAction* barre = action(QStringLiteral("mnuFileBar"))) barre->setVisible(un);
}

void FileCommands::MiseAJourMRU() {
    auto& liste = session_.config.FichiersRecents;
    const QString& courant = session_.fichiers.FichierCourant;
    for (int i = 0; i < 4; ++i)
        if (liste[size_t(i)] == courant) {
            cocherMRU(i);
            return;
        }
    for (size_t j = 3; j >= 1; --j)
        liste[j] = liste[j - 1];
    liste[0] = courant;
    afficherMRU();
    cocherMRU(0);
}

bool FileCommands::enregistrer() {
    const QString& asmCourant = session_.fichiers.FichierASM;
    if (asmCourant.isEmpty() || !QFileInfo(asmCourant).isFile()) return enregistrerSous();
    QString erreur;
    if (fichiers_->enregistrerSource(asmCourant, &erreur)) return true;
    session_.ecran().message(QStringLiteral("Impossible d'enregistrer : ") + erreur, Titre, Icone::Critique,
                             Boutons::Ok);
    return false;
}

bool FileCommands::enregistrerSous() {
    QString chemin = dialogues.enregistrer(fenetre_, FiltreASM);
    if (chemin.isEmpty()) return false;
    CheminDecoupe c = decouperChemin(chemin);
    if (!c.nom.contains(u'.')) {
        chemin += QStringLiteral(".ASM");
        c = decouperChemin(chemin);
    }
    // The companions are found from the base name: a name with another
    // extension, or with a second dot, could not be opened as the source again.
    if (c.extension != QLatin1String("ASM") && c.extension != QLatin1String("A11")) {
        session_.ecran().message(NomSource, Titre, Icone::Exclamation, Boutons::Ok);
        return false;
    }
    QString erreur;
    if (!fichiers_->enregistrerSource(chemin, &erreur)) {
        session_.ecran().message(QStringLiteral("Impossible d'enregistrer : ") + erreur, Titre,
                                 Icone::Critique, Boutons::Ok);
        return false;
    }
    // The new file is the current source from now on: its companions, its
    // caption, the recent list, and the next Save.
    session_.fichiers.FichierCourant = chemin;
    fichiers_->ChargerFichiers(true);
    ActiveCommandesFichier(true);
    MiseAJourMRU();
    return true;
}

void FileCommands::nouveau() {
    if (!modificationsReglees()) return;
    fichiers_->vider();
    // The new text has no file: its first Save asks for one, rather than
    // writing over the source that was open.
    EtatFichiers& f = session_.fichiers;
    f.FichierCourant.clear();
    f.FichierASM.clear();
    f.FichierLST.clear();
    f.FichierSYM.clear();
    f.FichierS19.clear();
    ActiveCommandesFichier(false);
}

void FileCommands::compiler() {
    if (!compilateur) return;
    if (fichiers_->sourceModifiee()) {
        const Reponse r =
            session_.ecran().message(CompilerModifie, Titre, Icone::Question, Boutons::OuiNonAnnuler);
        if (r == Reponse::Annuler) return;
        if (r == Reponse::Oui && !enregistrer()) return;
    }
    // Non compiles the file as it is on disk; the edits stay in the source tab.
    const bool garder = fichiers_->sourceModifiee();
    const int depuis = trace_->blockCount() - 1;
    const BilanCompilation bilan =
        compilateur(session_, [this, garder] { fichiers_->ChargerFichiers(garder); });
    if (!bilan.actif) activer("mnuFileCompile", "Compile", false);
    fichiers_->montrerBilanCompilation(bilan);
    liens_->marquer(depuis);
}

void FileCommands::imprimer() {
    const int onglet = fichiers_->onglets()->currentIndex();
    if (onglet < 0 || onglet > 3) return;
    RichTextArea* zone = fichiers_->zone(onglet);
    if (!dialogues.imprimante(fenetre_, *imprimante_, zone->textCursor().hasSelection())) return;
    const QString titre = fichiers_->onglets()->tabText(onglet);
    // The whole text, whatever is selected, as plain black text: the S19
    // view's colours are those of a dark screen. Each copy is a document of
    // its own; the title line comes before the first one only.
    const QTextDocumentFragment texte = QTextDocumentFragment::fromPlainText(zone->toPlainText());
    const int copies = std::max(1, imprimante_->copyCount());
    const QFont police = policeImpression(zone->font());
    imprimante_->setCopyCount(1);
    for (int i = 0; i < copies; ++i) {
        if (avantCopie) avantCopie(*imprimante_, i);
        printWithHeading(*imprimante_, i == 0 ? titre : QString(), texte, police);
    }
    imprimante_->setCopyCount(copies);
}

void FileCommands::miseEnPage() {
    dialogues.imprimante(fenetre_, *imprimante_, false);
}

} // namespace tessaline
