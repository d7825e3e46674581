// The fields of one source line in the classic Motorola layout: a label from
// column 1 (a trailing ':' is dropped), then after blanks the operation, then
// after blanks the operand field. A line whose first character is '*' or ';',
// or whose operation starts with '*' or ';', is a comment.
#pragma once

#include <QString>
#include <QStringView>

namespace tessaline::asm11 {

struct LigneSource {
    QString etiquette; // empty when column 1 is blank
    QString operation; // as written
    // The rest of the line from the first non-blank after the operation: the
    // operand, then any comment. Which part is the operand depends on the
    // operation, so it is cut where the operand is read.
    QStringView reste;
};

LigneSource decouper(QStringView ligne);

} // namespace tessaline::asm11
