// The Screen of the windows: runs go to the trace, memory and echo areas,
// panels to the status bar, and named controls are found by their objectName
// anywhere under the main window.
#pragma once

#include "link/screen.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace tessaline {

class RichTextArea;
class WaitWindow;

class QtScreen : public Screen {
public:
    explicit QtScreen(QWidget* racine);

    void setAreas(RichTextArea* trace, RichTextArea* memoire, RichTextArea* echo);
    void setWaitWindow(WaitWindow* attente);
    // What opens frmInfo for runInProgressWindow (the main window, which owns
    // the session whose cancel flag the window's Cancel sets).
    using FenetreProgression =
        std::function<void(const QString& titre, const std::function<void()>& operation)>;
    void setProgressWindow(FenetreProgression f) { progression_ = std::move(f); }
    // What the Aide button of a box with a help context opens (the help window
    // on that context's page, beside `question`, the box, which stays up).
    // Without it the boxes have no Aide button.
    using OuvrirAide = std::function<void(int contexte, QWidget* question)>;
    void setHelpHandler(OuvrirAide f) { aide_ = std::move(f); }

    // What happens when an operation names a control that no window holds
    // (other than a control of a closed dialog). The program only warns; the
    // tests turn it into a failure, so that a misspelt name cannot drive nothing
    // unnoticed.
    using ControleInconnu = std::function<void(const QString& nom)>;
    static void setUnknownControlHandler(ControleInconnu gestionnaire);

    void append(Zone zone, const QString& text, uint32_t colour, bool bold = false) override;
    void clear(Zone zone) override;
    QString text(Zone zone) const override;
    void setPanel(const QString& key, const QString& text, int image) override;
    QString panel(const QString& key) const override;
    void setEnabled(const QString& control, bool enabled) override;
    void setText(const QString& control, const QString& text) override;
    void setTextColour(const QString& control, uint32_t colour) override;
    void setValue(const QString& control, int value) override;
    void showWait(const QString& label) override;
    void hideWait() override;
    void runInProgressWindow(const QString& title, const std::function<void()>& operation) override;
    Reponse message(const QString& text, const QString& title, Icone icon, Boutons buttons) override;
    Reponse messageAvecAide(const QString& text, const QString& title, Icone icon, Boutons buttons,
                            int contexte) override;
    QString fichierAEnregistrer(const QString& titre, const QString& filtre) override;
    void beep() override;
    void setBusy(bool busy) override;

    // Beeps sounded since the start (the tests count them).
    int beeps() const { return beeps_; }

private:
    RichTextArea* zone(Zone z) const;
    QObject* controle(const QString& nom) const;
    // contexte < 0: no Aide button.
    Reponse afficherBoite(const QString& text, const QString& title, Icone icon, Boutons buttons,
                          int contexte);

    QPointer<QWidget> racine_;
    QPointer<RichTextArea> trace_;
    QPointer<RichTextArea> memoire_;
    QPointer<RichTextArea> echo_;
    QPointer<WaitWindow> attente_;
    FenetreProgression progression_;
    OuvrirAide aide_;
    int occupe_ = 0;
    int beeps_ = 0;
};

} // namespace tessaline
