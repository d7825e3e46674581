#include "ui/rich_text_area.h"

#include "ui/rtf_writer.h"
#include "ui/text_printing.h"
#include "ui/windows_colour.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTimer>

namespace tessaline {

namespace {
const QString MimeRtf = QStringLiteral("text/rtf");

// CR LF, a lone CR and a lone LF all end a line; the document wants LF.
QString finsDeLigne(const QString& text) {
    if (!text.contains(u'\r')) return text;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}
} // namespace

QFont fixedPitchFont(const QString& family, double pointSize) {
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

RichTextArea::RichTextArea(QWidget* parent)
    : QPlainTextEdit(parent)
    , menu_(new QMenu(QStringLiteral("Action"), this)) {
    // A trace grows for hours: an undo stack of every append would hold a
    // second copy of it.
    setUndoRedoEnabled(false);

    menu_->setObjectName(QStringLiteral("mnuAction"));
    struct Item {
        const char* nom;
        const char* legende;
        void (RichTextArea::*slot)();
    };
    static constexpr Item items[] = {
        {"mnuImprimer", "Imprimer", &RichTextArea::imprimer},
        {"mnuFont", "Font", &RichTextArea::choisirPolice},
        {"mnuEffacer", "Effacer", &RichTextArea::effacer},
        {"mnuCopier", "Copier", &RichTextArea::copier},
    };
    for (const Item& item : items) {
        QAction* a = menu_->addAction(QString::fromLatin1(item.legende));
        a->setObjectName(QString::fromLatin1(item.nom));
        connect(a, &QAction::triggered, this, item.slot);
    }
}

void RichTextArea::appendRun(const QString& text, uint32_t windowsColour, bool bold) {
    // A cursor of its own at the end: only the new characters are laid out.
    QTextCursor fin(document());
    fin.movePosition(QTextCursor::End);
    QTextCharFormat format = fin.charFormat();
    format.setForeground(couleurQt(windowsColour));
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    fin.insertText(finsDeLigne(text), format);

    // The caret goes to the end and the user's selection is dropped. A caret
    // already at the end moved along with the insertion.
    const QTextCursor caret = textCursor();
    if (caret.hasSelection() || caret.position() != fin.position()) setTextCursor(fin);
    if (bold) {
        format.setFontWeight(QFont::Normal);
        setCurrentCharFormat(format);
    }
    suivreLaFin();
}

void RichTextArea::setTabStops(qreal premier, qreal suivants) {
    constexpr int Arrets = 24;
    QTextOption option = document()->defaultTextOption();
    QList<QTextOption::Tab> arrets;
    for (int i = 0; i < Arrets; ++i)
        arrets << QTextOption::Tab(premier + i * suivants, QTextOption::LeftTab);
    option.setTabs(arrets);
    option.setTabStopDistance(suivants);
    document()->setDefaultTextOption(option);
}

qreal RichTextArea::largeurCaractere() const {
    return QFontMetricsF(font()).horizontalAdvance(u'0');
}

void RichTextArea::suivreLaFin() {
    // The view follows the caret once per pass of the event loop, not once
    // per run: scrolling the window's image by a line at each append would
    // cost more than the append itself.
    if (defilementPrevu_) return;
    defilementPrevu_ = true;
    QTimer::singleShot(0, this, [this] {
        defilementPrevu_ = false;
        ensureCursorVisible();
    });
}

QTextCursor RichTextArea::selectionOuTout() const {
    QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    return c;
}

void RichTextArea::printTo(QPrinter& printer, bool selectionOnly) const {
    const QTextDocumentFragment contenu =
        selectionOnly ? QTextDocumentFragment(textCursor()) : QTextDocumentFragment(document());
    printWithHeading(printer, entete_, contenu, document()->defaultFont());
}

QFont RichTextArea::selectionFont() const {
    QTextCursor c = textCursor();
    if (c.hasSelection()) {
        c.setPosition(c.selectionStart());
        c.movePosition(QTextCursor::NextCharacter);
    }
    const QFont f = c.charFormat().font().resolve(document()->defaultFont());
    // The family shown, not the one asked for: a missing family or an alias
    // ("Sans Serif") is not in the dialog's list.
    QFont police(QFontInfo(f).family());
    if (f.pointSizeF() > 0) police.setPointSizeF(f.pointSizeF());
    police.setBold(f.bold());
    police.setItalic(f.italic());
    police.setStrikeOut(f.strikeOut());
    police.setUnderline(f.underline());
    return police;
}

void RichTextArea::applyFont(const QFont& font) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{font.family()});
    if (font.pointSizeF() > 0) f.setFontPointSize(font.pointSizeF());
    f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    f.setFontItalic(font.italic());
    f.setFontStrikeOut(font.strikeOut());
    f.setFontUnderline(font.underline());
    mergeCurrentCharFormat(f);
    setFocus();
}

void RichTextArea::imprimer() {
    const bool selection = textCursor().hasSelection();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialogue(&printer, this);
    dialogue.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialogue.setOption(QAbstractPrintDialog::PrintSelection, selection);
    dialogue.setPrintRange(selection ? QAbstractPrintDialog::Selection : QAbstractPrintDialog::AllPages);
    if (dialogue.exec() != QDialog::Accepted) return;
    printTo(printer, printer.printRange() == QPrinter::Selection);
}

void RichTextArea::choisirPolice() {
    QFontDialog dialogue(selectionFont(), this);
    dialogue.setObjectName(QStringLiteral("dlgCommonDialog"));
    if (dialogue.exec() != QDialog::Accepted) return;
    applyFont(dialogue.selectedFont());
}

void RichTextArea::effacer() {
    clear();
}

void RichTextArea::copier() {
    const QTextCursor c = selectionOuTout();
    const QTextDocumentFragment fragment(c);
    auto* donnees = new QMimeData;
    donnees->setData(MimeRtf, writeRtf(*document(), c.selectionStart(), c.selectionEnd()));
    donnees->setHtml(fragment.toHtml());
    donnees->setText(fragment.toPlainText());
    QApplication::clipboard()->setMimeData(donnees);
}

void RichTextArea::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (!menuActif_) return;
    menu_->popup(event->globalPos());
}

} // namespace tessaline
