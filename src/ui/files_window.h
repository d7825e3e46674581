// frmFichiers, "Fichiers": the current source and its assembler products side
// by side in four tabs (S-records, listing, source, symbols), the folder and
// base name in its status bar. Only the source tab is editable.
#pragma once

#include "link/session.h"

#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace tessaline {

struct BilanCompilation;
class RichTextArea;
class SourceArea;

class FilesWindow : public QWidget {
    Q_OBJECT
public:
    enum Onglet { OngletS19 = 0, OngletLST = 1, OngletASM = 2, OngletSYM = 3 };

    explicit FilesWindow(Session& session, QWidget* parent = nullptr);

    QTabWidget* onglets() const { return onglets_; }
    RichTextArea* zone(int onglet) const;
    SourceArea* source() const;
    SourceArea* listing() const;

    // Derives the companions from FichierCourant and loads the four tabs.
    // `garderSource`: the source tab keeps the text it holds (the user's
    // unsaved edits) and only takes its path and caption.
    void ChargerFichiers(bool garderSource = false);
    // Empties the four areas; the captions go back to the bare extensions.
    void vider();
    // Redraws the S19 view from FichierS19 and counts its data bytes.
    void AfficheS19();
    // Says in the window's own status bar how the last compile ended (empty
    // after a file is opened or a new one begun).
    void montrerBilanCompilation(const BilanCompilation& bilan);
    QString texteBilanCompilation() const;
    // True while the S19 shown is older than its source (the source file was
    // written after it, or the source tab holds edits): the S19 tab says so.
    bool s19Ancien() const { return s19Ancien_; }

    // The source area holds edits not written to its file.
    bool sourceModifiee() const;
    // Writes the source area to `chemin` as every save is written (a regular
    // file only, replaced once whole: link/regular_file.h); line ends and
    // encoding as the file was read. Clears the modified mark on success;
    // `erreur` gets one line naming the file otherwise.
    bool enregistrerSource(const QString& chemin, QString* erreur);

    // The source tab at line `ligne` (from 1).
    void montrerLigneSource(int ligne);
    // The line assembled at `adresse` highlighted in the listing tab and, when
    // the source is loaded, in the source tab, which comes to the front unless
    // the listing is; nothing when no listing is loaded or no line has that
    // address.
    bool montrerAdresse(int adresse);

    // The address of line `index` (from 0) of the listing or source tab, when
    // it carries code (the source's through the listing).
    std::optional<int> adresseLigne(int onglet, int index) const;
    // The address of the line under the caret of the listing or source tab
    // shown; nothing on another tab or a line without code.
    std::optional<int> adresseSousCurseur() const;
    // The breakpoints' marks in the margins again, from the session's list.
    void actualiserPoints();

    void setQuitting(bool quitting) { quitting_ = quitting; }

signals:
    // The user changed the source text (loading it is no change).
    void sourceEditee();
    // A click in a margin added or removed a breakpoint.
    void pointsModifies();
    // The program's symbols (session().symboles) were read again, or dropped.
    void symbolesCharges();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool charger(int onglet, const QString& chemin, const QString& legende);
    // The .SYM of the tab, as the session's symbols.
    void prendreSymboles();
    // Load *.S19 with no S-record file: the button greyed, and the command
    // dropped when it was the one selected.
    void oublierS19();
    void actualiserS19Ancien();
    // A click in the margin of tab `onglet` beside line `index`: the line's
    // breakpoint set, or removed when there is one.
    void basculerPoint(int onglet, int index);

    Session& session_;
    QTabWidget* onglets_;
    std::array<RichTextArea*, 4> zones_{};
    QLabel* s19AncienBandeau_;
    QLabel* chemin_;
    QLabel* bilan_;
    bool s19Ancien_ = false;
    bool chargement_ = false;
    bool quitting_ = false;
    // How the source file was written: kept when it is saved again.
    bool finsCRLF_ = false;
    bool latin1_ = false;
};

} // namespace tessaline
