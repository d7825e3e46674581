// The family of windows built around one rich-text area, the memory and trace
// windows. They differ only in their data (size at load, resize rule, print
// heading); they share the rest: closing from the title bar is refused while
// the program runs, the resize rule is skipped while minimised, and sizes are
// kept in twips with the window's frame included, as stored layouts give them.
// They work as top-level widgets and as the widgets of QMdiSubWindows.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

namespace tessaline {

class RichTextArea;

class AreaWindow : public QWidget {
    Q_OBJECT
public:
    RichTextArea* area() const { return area_; }

    // Set when the program ends: only then does closing the window proceed.
    void setQuitting(bool quitting) { quitting_ = quitting; }

    // The window's size in twips, frame included: the QMdiSubWindow's size when
    // the window is one's widget, else the top-level frame's.
    QSize windowSizeTwips() const;
    void setWindowSizeTwips(const QSize& twips);
    // The size at load. A new QMdiSubWindow takes it by itself (from
    // sizeHint()); applyLoadSize() gives it back to the window later.
    QSize loadSizeTwips() const { return chargement_; }
    void applyLoadSize() { setWindowSizeTwips(chargement_); }

    QSize sizeHint() const override;

protected:
    AreaWindow(const QString& nom, const QString& legende, const QSize& chargementTwips, QWidget* parent);

    // The window's resize rule for a window of `largeur` x `hauteur` twips
    // (frame included). Never called while the window is minimised.
    virtual void disposer(double largeur, double hauteur) = 0;

    // Places a child at a rectangle given in twips of the client area; a
    // negative width or height counts as 0.
    void placer(QWidget* enfant, double gauche, double haut, double largeur, double hauteur);

    // The frame whose state and size count: the QMdiSubWindow holding this
    // window, or this window.
    QWidget* cadre() const;

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What the frame adds to the client area, in pixels.
    QSize bordure() const;

    RichTextArea* area_;
    QSize chargement_;
    bool quitting_ = false;
};

} // namespace tessaline
