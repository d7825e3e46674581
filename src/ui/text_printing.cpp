#include "ui/text_printing.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QList>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

namespace tessaline {

namespace {

struct Ligne {
    qreal haut;
    qreal bas;
};

// Every laid-out line of the document, top to bottom.
QList<Ligne> lignes(const QTextDocument& document) {
    QList<Ligne> l;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const qreal y = document.documentLayout()->blockBoundingRect(b).top();
        const QTextLayout* disposition = b.layout();
        for (int i = 0; i < disposition->lineCount(); ++i) {
            const QTextLine t = disposition->lineAt(i);
            l.append({y + t.y(), y + t.y() + t.height()});
        }
    }
    return l;
}

} // namespace

void printWithHeading(QPrinter& printer, const QString& heading, const QTextDocumentFragment& content,
                      const QFont& font) {
    QTextDocument page;
    page.setDefaultFont(font);
    page.setDocumentMargin(0);
    // Laid out at the printer's resolution, as wide as its printable area.
    page.documentLayout()->setPaintDevice(&printer);
    const QRectF zone = printer.pageRect(QPrinter::DevicePixel);
    page.setTextWidth(zone.width());

    QTextCursor c(&page);
    if (!heading.isNull()) {
        c.insertText(heading, QTextCharFormat());
        c.insertBlock();
        c.insertBlock();
    }
    c.insertFragment(content);

    // Pages are cut between lines: each takes the lines that end within one
    // page height of its first line's top (QTextDocument's own pagination lets
    // a line straddle two pages when the margins are small, printing it twice).
    const QList<Ligne> l = lignes(page);
    QPainter peintre(&printer);
    qsizetype i = 0;
    while (i < l.size()) {
        if (i > 0) printer.newPage();
        const qreal haut = l[i].haut;
        qreal bas = l[i].bas;
        for (++i; i < l.size() && l[i].bas - haut <= zone.height(); ++i)
            bas = l[i].bas;
        // Line by line: a block that a page break cuts in two gives each page
        // its own lines only. (QTextLayout::draw with a clip also draws the
        // line just above the clip, and a PDF keeps the text of what a clip
        // hides: that line would be printed twice.)
        peintre.save();
        peintre.translate(0, -haut);
        peintre.setClipRect(QRectF(0, haut, zone.width(), bas - haut));
        peintre.setPen(Qt::black);
        for (QTextBlock b = page.begin(); b.isValid(); b = b.next()) {
            const QRectF r = page.documentLayout()->blockBoundingRect(b);
            if (r.bottom() <= haut) continue;
            if (r.top() >= bas) break;
            const QTextLayout* disposition = b.layout();
            for (int n = 0; n < disposition->lineCount(); ++n) {
                const QTextLine t = disposition->lineAt(n);
                const qreal y = r.top() + t.y();
                if (y >= haut && y + t.height() <= bas) t.draw(&peintre, r.topLeft());
            }
        }
        peintre.restore();
    }
}

} // namespace tessaline
