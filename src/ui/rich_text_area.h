// The rich-text area of the memory, trace and echo windows. Operations append
// runs of coloured text at its very end whatever the user has selected; the user
// may scroll, select and type in it. A right click opens the "Action" menu:
// print, font, clear, copy.
//
// It is a QPlainTextEdit: its document keeps every run's colour, weight and
// font, and its layout works block by block, so that an append late in a long
// trace costs nearly what it did at the start (only the document's block tree
// deepens). A QTextEdit re-walks its frame layout at every change: measured, its
// appends took 2.3 times as long after 100,000 entries as at the first.
#pragma once

#include <QPlainTextEdit>
#include <QString>

#include <cstdint>

class QMenu;
class QPrinter;

namespace tessaline {

// `family` at `pointSize`, or a fixed-pitch font of that size where the system
// lacks that family (fonts missing here otherwise fall back to a proportional one).
QFont fixedPitchFont(const QString& family, double pointSize);

class RichTextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit RichTextArea(QWidget* parent = nullptr);

    // Appends `text` at the very end in the Windows colour `windowsColour`
    // (0x00BBGGRR), bold or not. The user's selection is dropped and the caret
    // left at the end, not bold. CR LF (or a lone CR or LF) starts a new line.
    void appendRun(const QString& text, uint32_t windowsColour, bool bold = false);

    // Tab stops: the first `premier` pixels from the text's left edge, the
    // next ones every `suivants` pixels after it.
    void setTabStops(qreal premier, qreal suivants);
    // The width of a character of the area's font, in pixels.
    qreal largeurCaractere() const;

    // The line printed above the text by Imprimer.
    void setPrintHeading(const QString& line) { entete_ = line; }
    QString printHeading() const { return entete_; }

    // The popup menu mnuAction, with mnuImprimer, mnuFont, mnuEffacer, mnuCopier.
    QMenu* actionMenu() const { return menu_; }
    // Whether a right click opens it (the memory and trace windows' areas);
    // an area without it opens no popup at all.
    void setActionMenuEnabled(bool enabled) { menuActif_ = enabled; }

    // Prints the heading line, an empty line, then the selection when
    // `selectionOnly` is set, else the whole content, formatting kept.
    void printTo(QPrinter& printer, bool selectionOnly) const;

    // The font of the selection's first character (of the character before
    // the caret when nothing is selected) as the screen shows it: name, size,
    // bold, italic, strike-out and underline.
    QFont selectionFont() const;
    // Gives those six attributes of `font` to the selection, or to the
    // insertion point when nothing is selected, and takes the focus.
    void applyFont(const QFont& font);

public slots:
    // mnuImprimer: the printer dialog, then printTo() on the chosen printer.
    void imprimer();
    // mnuFont: the font dialog preset from selectionFont(), then applyFont().
    void choisirPolice();
    // mnuEffacer: the area becomes empty.
    void effacer();
    // mnuCopier: the selection, or everything when nothing is selected, goes
    // to the clipboard as RTF ("text/rtf"), HTML and plain text.
    void copier();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The selected range, or the whole text when nothing is selected.
    QTextCursor selectionOuTout() const;
    // Scrolls to the caret when the event loop next runs.
    void suivreLaFin();

    QMenu* menu_;
    QString entete_;
    bool defilementPrevu_ = false;
    bool menuActif_ = true;
};

} // namespace tessaline
