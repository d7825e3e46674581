// Fichier > "Vérifier avec…": runs a lab's check file (tessaline-lab's) on the source
// open in the Fichiers window, each case on a fresh simulated board, and writes the
// results in the trace: one line per case, green when it passed, red when it failed,
// then for a failed case its other faults and its last instructions. The source is
// taken as the tab shows it, unsaved edits included. The cases run on a worker thread:
// the windows stay responsive, and the command waits for the run to end before it
// takes another.
#pragma once

#include <QObject>

#include <memory>

class QAction;
class QThread;

namespace tessaline {

class FileCommands;
class FilesWindow;
class Session;

class CommandeVerification : public QObject {
    Q_OBJECT
public:
    CommandeVerification(Session& session, FilesWindow* fichiers, FileCommands* commandes, QAction* action);
    // Waits for a run under way.
    ~CommandeVerification() override;

    // Asks for the check file, then starts the run.
    void verifier();
    bool enCours() const { return fil_ != nullptr; }

signals:
    // The results are in the trace (or the reason there are none).
    void terminee();

private:
    void signaler(const QString& texte);

    Session& session_;
    FilesWindow* fichiers_;
    FileCommands* commandes_;
    QAction* action_;
    QThread* fil_ = nullptr;
};

} // namespace tessaline
