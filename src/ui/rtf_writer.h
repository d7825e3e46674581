// Rich text for the clipboard: a range of a QTextDocument written as RTF, the
// form word processors paste with its colours and weights. Each run becomes a
// group carrying its font, size, colour, bold, italic, underline and
// strike-out; each paragraph end becomes \par.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace tessaline {

// The characters of `document` from position `from` up to `to` (excluded) as an
// RTF document. Text outside 7-bit ASCII is written as \u escapes.
QByteArray writeRtf(const QTextDocument& document, int from, int to);

} // namespace tessaline
