// Printing an area: the window's heading line, one empty line, then the text
// with its colours and weights, on any QPrinter (a real printer, or a PDF file).
#pragma once

#include <QString>

class QFont;
class QPrinter;
class QTextDocumentFragment;

namespace tessaline {

// Prints `heading` in `font`, an empty line, then `content`, whose unformatted
// runs also take `font`. A null `heading` prints the content alone. Pages
// break between lines; no page numbers are added.
void printWithHeading(QPrinter& printer, const QString& heading, const QTextDocumentFragment& content,
                      const QFont& font);

} // namespace tessaline
