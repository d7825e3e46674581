// The files window's code areas (the source tab, the listing tab): a
// rich-text area with a margin on its left that holds the breakpoints' marks
// and, for the source, the line numbers; a way to show one line.
#pragma once

#include "ui/rich_text_area.h"

#include <QMap>

namespace tessaline {

class SourceArea : public RichTextArea {
    Q_OBJECT
public:
    // `numeros`: the margin shows the line numbers (the listing has its own).
    explicit SourceArea(QWidget* parent = nullptr, bool numeros = true);

    // Width of the margin, in pixels.
    int largeurMarge() const;
    // Puts the caret at the start of line `ligne` (from 1), scrolls it into view
    // and highlights it.
    void montrerLigne(int ligne);

    // The breakpoints' marks: line index (from 0) to enabled (a red disc) or
    // disabled (a red ring).
    void setMarques(const QMap<int, bool>& marques);
    const QMap<int, bool>& marques() const { return marques_; }
    // The line (from 0) at `y` in the margin's coordinates; -1 past the text.
    int ligneA(int y) const;

signals:
    // A click in the margin beside line `index` (from 0).
    void margeCliquee(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void peindreMarge(QPaintEvent* event);

    class Marge;
    Marge* marge_;
    bool numeros_;
    QMap<int, bool> marques_;
};

// Highlights line `index` (from 0) of `area` across its whole width, puts the
// caret there and centres it; -1 removes the highlight.
void surlignerLigne(QPlainTextEdit* area, int index);

} // namespace tessaline
