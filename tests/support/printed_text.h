// The words of a printed page read back from its PDF with pdftotext (poppler-utils).
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

namespace tessaline::test {

// Every printed line, pages one after the other: pdftotext lays the glyphs out again,
// so each line's blanks are run together and the blank lines closing a page dropped.
// `pages`, when given, receives the page count.
inline QStringList texteImprime(const QString& pdf, int* pages = nullptr) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        ADD_FAILURE() << "pdftotext is missing: install poppler-utils to read printed pages back";
        return {};
    }
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0) << p.readAllStandardError().constData();
    const QStringList feuilles =
        QString::fromUtf8(p.readAllStandardOutput()).split(u'\f', Qt::SkipEmptyParts);
    if (pages) *pages = int(feuilles.size());
    QStringList lignes;
    for (const QString& feuille : feuilles) {
        QStringList l = feuille.split(u'\n');
        while (!l.isEmpty() && l.last().trimmed().isEmpty())
            l.removeLast();
        for (const QString& ligne : l)
            lignes << ligne.simplified();
    }
    return lignes;
}

} // namespace tessaline::test
