// The source tab's area: an editable rich-text area with the line numbers in
// a margin on its left, and a way to show one line.
#pragma once

#include "ui/rich_text_area.h"

namespace tessaline {

class SourceArea : public RichTextArea {
    Q_OBJECT
public:
    explicit SourceArea(QWidget* parent = nullptr);

    // Width of the numbers' margin, in pixels.
    int largeurMarge() const;
    // Puts the caret at the start of line `ligne` (from 1), scrolls it into view
    // and highlights it.
    void montrerLigne(int ligne);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void peindreMarge(QPaintEvent* event);

    class Marge;
    Marge* marge_;
};

// Highlights line `index` (from 0) of `area` across its whole width, puts the
// caret there and centres it; -1 removes the highlight.
void surlignerLigne(QPlainTextEdit* area, int index);

} // namespace tessaline
