#include "ui/trace_links.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace tessaline {

TraceLinks::TraceLinks(QPlainTextEdit* trace)
    : QObject(trace)
    , trace_(trace)
    , viewport_(trace->viewport()) {
    viewport_->installEventFilter(this);
    viewport_->setMouseTracking(true);
}

void TraceLinks::marquer(int depuis) {
    // Extra selections, not the text's own format: the runs appended later
    // take the format of the text before them.
    QList<QTextEdit::ExtraSelection> liens = trace_->extraSelections();
    for (QTextBlock b = trace_->document()->findBlockByNumber(depuis); b.isValid(); b = b.next()) {
        if (!referenceSource(b.text())) continue;
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(b);
        s.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        s.format.setFontUnderline(true);
        liens.append(s);
    }
    trace_->setExtraSelections(liens);
}

std::optional<ReferenceSource> TraceLinks::referenceA(const QPoint& position) const {
    const QTextCursor c = trace_->cursorForPosition(position);
    // Only over the text itself, not the blank to the right of a short line.
    if (trace_->cursorRect(c).left() + 2 < position.x() && c.atBlockEnd()) return std::nullopt;
    return referenceSource(c.block().text());
}

bool TraceLinks::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet != viewport_) return false;
    if (evenement->type() == QEvent::MouseMove) {
        const auto* m = static_cast<QMouseEvent*>(evenement);
        viewport_->setCursor(referenceA(m->position().toPoint()) ? Qt::PointingHandCursor : Qt::IBeamCursor);
    } else if (evenement->type() == QEvent::MouseButtonRelease) {
        const auto* m = static_cast<QMouseEvent*>(evenement);
        // A drag that selected text is a selection, not a click.
        if (m->button() == Qt::LeftButton && !trace_->textCursor().hasSelection())
            if (const auto r = referenceA(m->position().toPoint())) emit ligneCitee(*r);
    }
    return false;
}

} // namespace tessaline
