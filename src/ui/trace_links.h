// The assembler's report in the trace: its lines that name a source line
// ("NAME.ASM(12): error: ...") are underlined and a click on one of them
// shows that line of the source.
#pragma once

#include "ui/source_references.h"

#include <QObject>

class QPlainTextEdit;

namespace tessaline {

class TraceLinks : public QObject {
    Q_OBJECT
public:
    explicit TraceLinks(QPlainTextEdit* trace);

    // Underlines the lines from line `depuis` (from 0) to the end that name a
    // source line.
    void marquer(int depuis);

signals:
    void ligneCitee(const tessaline::ReferenceSource& reference);

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    std::optional<ReferenceSource> referenceA(const QPoint& position) const;

    QPlainTextEdit* trace_;
    // The trace's viewport, taken once: while the trace is being destroyed its
    // viewport still sends events, and the trace can no longer be asked for it.
    QWidget* viewport_;
};

} // namespace tessaline
