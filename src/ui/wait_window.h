// frmAttendre: the small window that says an operation is reading the target.
#pragma once

#include <QLabel>
#include <QWidget>

namespace tessaline {

class WaitWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString TexteInitial = QStringLiteral("Attendez SVP...");

    explicit WaitWindow(QWidget* parent = nullptr);

    // Shown without blocking, over the main window.
    void montrer(const QString& texte);
    // Hidden; its text back to "Attendez SVP...".
    void cacher();

private:
    QLabel* panneau_;
};

} // namespace tessaline
