#include "ui/rtf_writer.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>

namespace tessaline {

namespace {

// Collects the font and colour tables while the body is written, so that the
// header, written last, lists exactly what the body uses.
class RtfBody {
public:
    explicit RtfBody(const QTextDocument& document)
        : defaut_(document.defaultFont()) {}

    void run(const QString& text, const QTextCharFormat& format) {
        const QFont police = format.font().resolve(defaut_);
        corps_ += "{\\f" + QByteArray::number(indexPolice(police.family()));
        if (police.pointSizeF() > 0)
            corps_ += "\\fs" + QByteArray::number(std::lround(police.pointSizeF() * 2));
        corps_ += "\\cf" + QByteArray::number(indexCouleur(format));
        if (police.bold()) corps_ += "\\b";
        if (police.italic()) corps_ += "\\i";
        if (police.underline()) corps_ += "\\ul";
        if (police.strikeOut()) corps_ += "\\strike";
        corps_ += ' ';
        texte(text);
        corps_ += '}';
    }

    void paragraph() { corps_ += "\\par\n"; }

    QByteArray document() const {
        QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (qsizetype i = 0; i < polices_.size(); ++i) {
            rtf += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            rtf += ascii(polices_[i]) + ";}";
        }
        // Entry 0 is left empty: the reader's default colour (\cf0).
        rtf += "}\n{\\colortbl ;";
        for (QRgb c : couleurs_)
            rtf += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) +
                   "\\blue" + QByteArray::number(qBlue(c)) + ';';
        rtf += "}\n\\pard\\plain\n" + corps_ + "}\n";
        return rtf;
    }

private:
    qsizetype indexPolice(const QString& famille) {
        qsizetype i = polices_.indexOf(famille);
        if (i < 0) {
            i = polices_.size();
            polices_.append(famille);
        }
        return i;
    }

    qsizetype indexCouleur(const QTextCharFormat& format) {
        if (format.foreground().style() == Qt::NoBrush) return 0;
        const QRgb c = format.foreground().color().rgb();
        qsizetype i = couleurs_.indexOf(c);
        if (i < 0) {
            i = couleurs_.size();
            couleurs_.append(c);
        }
        return i + 1;
    }

    // Font names go into the table as they are, less what RTF cannot hold there.
    static QByteArray ascii(const QString& nom) {
        QByteArray a;
        for (QChar ch : nom)
            if (ch.unicode() >= 0x20 && ch.unicode() < 0x7F && ch != u';' && ch != u'{' && ch != u'}' &&
                ch != u'\\')
                a += char(ch.unicode());
        return a;
    }

    void texte(const QString& text) {
        for (QChar ch : text) {
            const char16_t u = ch.unicode();
            if (u == u'\\' || u == u'{' || u == u'}') {
                corps_ += '\\';
                corps_ += char(u);
            } else if (u == u'\t') {
                corps_ += "\\tab ";
            } else if (u == QChar::LineSeparator) {
                corps_ += "\\line ";
            } else if (u >= 0x20 && u < 0x7F) {
                corps_ += char(u);
            } else if (u >= 0x80) {
                // \uN takes a signed 16-bit value, followed by a one-character
                // fallback for readers that do not know it (\uc1).
                corps_ += "\\u" + QByteArray::number(int(int16_t(u))) + '?';
            }
        }
    }

    QFont defaut_;
    QList<QString> polices_;
    QList<QRgb> couleurs_;
    QByteArray corps_;
};

} // namespace

QByteArray writeRtf(const QTextDocument& document, int from, int to) {
    RtfBody rtf(document);
    for (QTextBlock bloc = document.findBlock(from); bloc.isValid() && bloc.position() < to;
         bloc = bloc.next()) {
        for (auto it = bloc.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int debut = std::max(from, f.position());
            const int fin = std::min(to, f.position() + f.length());
            if (debut < fin) rtf.run(f.text().mid(debut - f.position(), fin - debut), f.charFormat());
        }
        // The paragraph separator sits at the block's last position.
        const int separateur = bloc.position() + bloc.length() - 1;
        if (separateur >= from && separateur < to) rtf.paragraph();
    }
    return rtf.document();
}

} // namespace tessaline
