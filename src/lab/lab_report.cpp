#include "lab_report.h"

#include <QXmlStreamWriter>

namespace tessaline::lab {

namespace {

std::string points(int n, int max) {
    return std::to_string(n) + "/" + std::to_string(max);
}

int pointsMax(const ResultatSoumission& r) {
    int n = 0;
    for (const ResultatCas& c : r.cas)
        n += c.pointsMax;
    return n;
}

// What the case's line says after the points.
std::string motif(const ResultatSoumission& r, const ResultatCas& c) {
    if (!r.chargee()) return r.refus + " : " + (r.messages.empty() ? std::string() : r.messages.front());
    if (c.reussi) return {};
    std::string m = c.premierEchec();
    if (c.finAnormale && m.find(c.fin) == std::string::npos) m += " (" + c.fin + ")";
    return m;
}

QByteArray champCsv(const std::string& s) {
    QByteArray b = QByteArray::fromStdString(s);
    // A spreadsheet would take a file name such as "=1+1.asm" for a formula.
    if (!b.isEmpty() && QByteArray("=+-@\t\r").contains(b[0])) b.prepend('\'');
    if (b.contains(',') || b.contains('"') || b.contains('\n') || b.contains('\r')) {
        b.replace("\"", "\"\"");
        b = '"' + b + '"';
    }
    return b;
}

// XML 1.0 has no place for most control characters: a file name or a message that
// holds one gets '?' there.
QString pourXml(QString s) {
    for (QChar& c : s)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') c = u'?';
    return s;
}

QString pourXml(const std::string& s) {
    return pourXml(QString::fromStdString(s));
}

QString secondes(double s) {
    return QString::number(s, 'f', 6);
}

} // namespace

std::string texteTerminal(const ResultatSoumission& r, bool detail) {
    const std::string nom = r.nom.toStdString();
    std::string t;
    if (!r.chargee()) {
        t += "ÉCHEC   " + nom + " : " + r.refus + ", 0/" + std::to_string(pointsMax(r)) + "\n";
        for (const std::string& m : r.messages)
            t += "        " + m + "\n";
        return t;
    }
    for (const ResultatCas& c : r.cas) {
        t += std::string(c.reussi ? "RÉUSSI  " : "ÉCHEC   ") + nom + " : " + c.nom + "  " +
             points(c.points, c.pointsMax);
        const std::string m = motif(r, c);
        if (!m.empty()) t += "  " + m;
        t += "\n";
        if (!detail || c.reussi) continue;
        for (const ResultatAttente& a : c.attentes)
            if (!a.reussi && a.texte != c.premierEchec()) t += "        aussi : " + a.texte + "\n";
        t += "        fin : " + c.fin + "\n";
        if (!c.trace.empty()) {
            t += "        les " + std::to_string(c.trace.size()) +
                 " dernières instructions avant l'échec (cycle, adresse, instruction, registres avant) :\n";
            for (const std::string& l : c.trace)
                t += "        " + l + "\n";
        }
    }
    if (r.cas.size() > 1) t += "TOTAL   " + nom + " : " + points(r.points(), pointsMax(r)) + "\n";
    return t;
}

std::string texteBilan(const std::vector<ResultatSoumission>& resultats, const VerificationLab& v) {
    std::size_t reussies = 0;
    for (const ResultatSoumission& r : resultats)
        reussies += r.reussie();
    return std::to_string(resultats.size()) + " programme(s) vérifié(s), " + std::to_string(reussies) +
           " réussi(s) sur tous les cas (" + std::to_string(v.cas.size()) + " cas, " +
           std::to_string(v.pointsMax()) + " points)\n";
}

QByteArray texteCsv(const std::vector<ResultatSoumission>& resultats) {
    QByteArray t = "soumission,cas,resultat,points,points_max,message\r\n";
    for (const ResultatSoumission& r : resultats)
        for (const ResultatCas& c : r.cas) {
            const std::string resultat = !r.chargee() ? r.refus : c.reussi ? "réussi" : "échec";
            t += champCsv(r.nom.toStdString()) + ',' + champCsv(c.nom) + ',' + champCsv(resultat) + ',' +
                 QByteArray::number(c.points) + ',' + QByteArray::number(c.pointsMax) + ',' +
                 champCsv(motif(r, c)) + "\r\n";
        }
    return t;
}

QByteArray texteJUnit(const std::vector<ResultatSoumission>& resultats, const VerificationLab& v) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    int tests = 0, echecs = 0, erreurs = 0;
    double total = 0;
    for (const ResultatSoumission& r : resultats)
        for (const ResultatCas& c : r.cas) {
            ++tests;
            (r.chargee() ? echecs : erreurs) += !c.reussi;
            total += c.secondes;
        }
    w.writeStartElement(QStringLiteral("testsuites"));
    w.writeAttribute(QStringLiteral("name"),
                     pourXml(v.titre.empty() ? std::string("tessaline-lab") : v.titre));
    w.writeAttribute(QStringLiteral("tests"), QString::number(tests));
    w.writeAttribute(QStringLiteral("failures"), QString::number(echecs));
    w.writeAttribute(QStringLiteral("errors"), QString::number(erreurs));
    w.writeAttribute(QStringLiteral("time"), secondes(total));
    for (const ResultatSoumission& r : resultats) {
        int f = 0;
        double temps = 0;
        for (const ResultatCas& c : r.cas) {
            f += !c.reussi;
            temps += c.secondes;
        }
        w.writeStartElement(QStringLiteral("testsuite"));
        w.writeAttribute(QStringLiteral("name"), pourXml(r.nom));
        w.writeAttribute(QStringLiteral("tests"), QString::number(r.cas.size()));
        w.writeAttribute(QStringLiteral("failures"), QString::number(r.chargee() ? f : 0));
        w.writeAttribute(QStringLiteral("errors"), QString::number(r.chargee() ? 0 : f));
        w.writeAttribute(QStringLiteral("time"), secondes(temps));
        for (const ResultatCas& c : r.cas) {
            w.writeStartElement(QStringLiteral("testcase"));
            w.writeAttribute(QStringLiteral("classname"), pourXml(r.nom));
            w.writeAttribute(QStringLiteral("name"), pourXml(c.nom));
            w.writeAttribute(QStringLiteral("time"), secondes(c.secondes));
            if (!r.chargee()) {
                w.writeStartElement(QStringLiteral("error"));
                w.writeAttribute(QStringLiteral("message"), pourXml(r.refus));
                w.writeAttribute(QStringLiteral("type"), QStringLiteral("assemblage"));
                std::string texte;
                for (const std::string& m : r.messages)
                    texte += m + "\n";
                w.writeCharacters(pourXml(texte));
                w.writeEndElement();
            } else if (!c.reussi) {
                w.writeStartElement(QStringLiteral("failure"));
                w.writeAttribute(QStringLiteral("message"), pourXml(motif(r, c)));
                w.writeAttribute(QStringLiteral("type"),
                                 c.finAnormale ? QStringLiteral("fin anormale") : QStringLiteral("attente"));
                std::string texte;
                for (const ResultatAttente& a : c.attentes)
                    if (!a.reussi) texte += a.texte + "\n";
                texte += "fin : " + c.fin + "\n";
                for (const std::string& l : c.trace)
                    texte += l + "\n";
                w.writeCharacters(pourXml(texte));
                w.writeEndElement();
            }
            w.writeTextElement(QStringLiteral("system-out"),
                               QStringLiteral("points : %1/%2\n").arg(c.points).arg(c.pointsMax));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace tessaline::lab
