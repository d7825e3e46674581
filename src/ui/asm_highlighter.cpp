#include "ui/asm_highlighter.h"

#include "disasm/opcode_map.h"

#include <QRegularExpression>

namespace tessaline {

namespace {

// Every mnemonic the decoder knows, plus the second names of the shared opcodes
// (ASL is LSL, BCC is BHS, BCS is BLO: M68HC11 RM, instruction set tables).
const QSet<QString>& mnemoniques() {
    static const QSet<QString> tous = [] {
        QSet<QString> m{QStringLiteral("LSL"),  QStringLiteral("LSLA"), QStringLiteral("LSLB"),
                        QStringLiteral("LSLD"), QStringLiteral("BHS"),  QStringLiteral("BLO")};
        for (int p = 0; p < kOpcodePageCount; ++p)
            for (int o = 0; o < 256; ++o)
                if (const OpcodeEntry* e = opcodeEntry(static_cast<OpcodePage>(p), uint8_t(o)))
                    m.insert(QString::fromLatin1(e->mnemonic));
        return m;
    }();
    return tous;
}

const QSet<QString>& directives() {
    static const QSet<QString> d{QStringLiteral("ORG"),  QStringLiteral("EQU"), QStringLiteral("FCB"),
                                 QStringLiteral("FDB"),  QStringLiteral("FCC"), QStringLiteral("RMB"),
                                 QStringLiteral("END"),  QStringLiteral("DB"),  QStringLiteral("DW"),
                                 QStringLiteral("DS"),   QStringLiteral("BSZ"), QStringLiteral("ZMB"),
                                 QStringLiteral("FILL"), QStringLiteral("OPT"), QStringLiteral("PAGE")};
    return d;
}

} // namespace

AsmHighlighter::AsmHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document) {}

AsmHighlighter::Genre AsmHighlighter::genreDuMot(const QString& mot) {
    const QString m = mot.toUpper();
    if (mnemoniques().contains(m)) return Genre::Mnemonique;
    if (directives().contains(m)) return Genre::Directive;
    return Genre::Texte;
}

QTextCharFormat AsmHighlighter::format(Genre g) const {
    QTextCharFormat f;
    switch (g) {
    case Genre::Texte: break;
    case Genre::Etiquette: f.setForeground(QColor(0x80, 0x00, 0x80)); break;
    case Genre::Mnemonique:
        f.setForeground(QColor(0x00, 0x00, 0xC0));
        f.setFontWeight(QFont::Bold);
        break;
    case Genre::Directive: f.setForeground(QColor(0x00, 0x80, 0x80)); break;
    case Genre::Nombre: f.setForeground(QColor(0xB0, 0x50, 0x00)); break;
    case Genre::Commentaire:
        f.setForeground(QColor(0x00, 0x80, 0x00));
        f.setFontItalic(true);
        break;
    }
    return f;
}

void AsmHighlighter::highlightBlock(const QString& texte) {
    if (texte.startsWith(u'*')) {
        setFormat(0, int(texte.size()), format(Genre::Commentaire));
        return;
    }
    // The comment after ";" (not inside a 'c' character or a FCC string).
    qsizetype fin = texte.size();
    QChar guillemet;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte[i];
        if (!guillemet.isNull()) {
            if (c == guillemet) guillemet = QChar();
        } else if (c == u'\'' || c == u'"') {
            guillemet = c;
        } else if (c == u';') {
            fin = i;
            setFormat(int(i), int(texte.size() - i), format(Genre::Commentaire));
            break;
        }
    }
    const QString code = texte.left(fin);

    // The label: a word from column 1.
    static const QRegularExpression etiquette(QStringLiteral(R"(^[A-Za-z_.][\w.]*:?)"));
    const QRegularExpressionMatch e = etiquette.match(code);
    qsizetype debut = 0;
    if (e.hasMatch()) {
        setFormat(0, int(e.capturedLength()), format(Genre::Etiquette));
        debut = e.capturedLength();
    }
    // The first word after it: the mnemonic or directive.
    static const QRegularExpression mot(QStringLiteral(R"(\s+([A-Za-z]+))"));
    const QRegularExpressionMatch m = mot.match(code, debut, QRegularExpression::NormalMatch,
                                                QRegularExpression::AnchorAtOffsetMatchOption);
    if (!m.hasMatch()) return;
    const Genre g = genreDuMot(m.captured(1));
    if (g != Genre::Texte) setFormat(int(m.capturedStart(1)), int(m.capturedLength(1)), format(g));

    // Numbers in the operand: $hex, %binary, @octal, decimal; and the 'c'
    // characters and FCC strings.
    static const QRegularExpression nombre(
        QStringLiteral(R"((\$[0-9A-Fa-f]+|%[01]+|@[0-7]+|(?<![\w$%@])\d+(?!\w)|'[^']*'?))"));
    for (auto it = nombre.globalMatch(code, m.capturedEnd(1)); it.hasNext();) {
        const QRegularExpressionMatch n = it.next();
        setFormat(int(n.capturedStart()), int(n.capturedLength()), format(Genre::Nombre));
    }
}

} // namespace tessaline
