// The File menu's commands on the current source: Open, the recent files,
// Save, Save As, New, Compile, Print and Page Setup, and the File items they
// enable. The dialogs are reached through replaceable functions, so that a
// test chooses a file without a modal dialog.
#pragma once

#include "link/session.h"
#include "operations/compilation.h"
#include "ui/source_references.h"

#include <QObject>
#include <QPrinter>

#include <functional>
#include <memory>

class QAction;
class QPlainTextEdit;

namespace tessaline {

class FilesWindow;
class TraceLinks;

struct DialoguesFichier {
    // The open dialog: the chosen path, or empty when it was cancelled.
    std::function<QString(QWidget* parent, const QString& filtres, const QString& filtreChoisi)> ouvrir;
    // The save dialog, which asks before overwriting: the path or empty.
    std::function<QString(QWidget* parent, const QString& filtres)> enregistrer;
    // The printer dialog on `printer`; `selection` preselects printing the
    // selection. False when it was cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer, bool selection)> imprimante;
};

// The Qt dialogs.
DialoguesFichier dialoguesQt();

class FileCommands : public QObject {
    Q_OBJECT
public:
    // The compile of the current source; `recharger` reloads the tabs. Its
    // `actif` is false when the compile command is to be disabled.
    using Compilateur = std::function<BilanCompilation(Session&, const std::function<void()>& recharger)>;

    // `fenetre` holds the File menu's actions and the toolbar's; `trace` is
    // the trace's area, where the assembler's report lands.
    FileCommands(Session& session, FilesWindow* fichiers, QWidget* fenetre, QPlainTextEdit* trace);
    ~FileCommands() override;

    DialoguesFichier dialogues;
    Compilateur compilateur;
    // Called before each printed copy (a PDF printer takes a file per copy there).
    std::function<void(QPrinter& printer, int copie)> avantCopie;

    QPrinter& imprimante() { return *imprimante_; }

    void ouvrir();
    void fichierRecent(int index);
    // True once the source is written (Save As when it has no file yet).
    bool enregistrer();
    bool enregistrerSous();
    void nouveau();
    void compiler();
    void imprimer();
    void miseEnPage();

    void ActiveCommandesFichier(bool actif);
    void MiseAJourMRU();
    // The recent-file items as the configuration lists them.
    void afficherMRU();
    // Unsaved edits of the source: asks whether to save them first. True when
    // the caller may go on (saved, or thrown away), false on Annuler.
    bool modificationsReglees();

private:
    QAction* action(const QString& nom) const;
    void activer(const char* menu, const char* outil, bool actif);
    void ouvrirCourant(bool miseAJourListe);
    void cocherMRU(int index);

    Session& session_;
    FilesWindow* fichiers_;
    QWidget* fenetre_;
    QPlainTextEdit* trace_;
    TraceLinks* liens_;
    std::unique_ptr<QPrinter> imprimante_;
};

} // namespace tessaline
