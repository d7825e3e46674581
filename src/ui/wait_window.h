// frmAttendre: the small panel that says an operation is reading the target.
// It lies over the main window's own surface, so every dialog and message box
// stands above it; after a few seconds it offers to give the wait up.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

class QPushButton;

namespace tessaline {

class WaitWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString TexteInitial = QStringLiteral("Attendez SVP...");
    // How long a wait runs before its Cancel button shows.
    static constexpr int DelaiAnnulationMs = 3000;

    explicit WaitWindow(QWidget* parent = nullptr);

    // Shown without blocking, over the middle of the main window.
    void montrer(const QString& texte);
    // Hidden; its text back to "Attendez SVP...".
    void cacher();

signals:
    // The user gave the wait up.
    void annulee();

private:
    void placer();

    QLabel* panneau_;
    QPushButton* annuler_;
    QTimer delai_;
};

} // namespace tessaline
