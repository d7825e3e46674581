// Colours of a 68HC11 source in the classic Motorola layout: a label in
// column 1, then the mnemonic or directive, the operand, and a comment; a line
// starting with "*" is all comment, and ";" starts one anywhere outside a
// character constant.
#pragma once

#include <QSet>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tessaline {

class AsmHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit AsmHighlighter(QTextDocument* document);

    enum class Genre { Texte, Etiquette, Mnemonique, Directive, Nombre, Commentaire };
    // A word in the operation field: a mnemonic, a directive, or neither.
    static Genre genreDuMot(const QString& mot);

protected:
    void highlightBlock(const QString& texte) override;

private:
    QTextCharFormat format(Genre g) const;
};

} // namespace tessaline
