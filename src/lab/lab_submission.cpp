#include "lab_submission.h"

#include "asm/assembler.h"
#include "link/regular_file.h"
#include "sim/srecord.h"
#include "sim/srecord_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace tessaline::lab {

namespace {

bool estSource(const QFileInfo& f) {
    const QString s = f.suffix().toLower();
    return s == QLatin1String("asm") || s == QLatin1String("a11");
}

bool estS19(const QFileInfo& f) {
    return f.suffix().toLower() == QLatin1String("s19");
}

// NAME.s19 is the product of a NAME.asm or NAME.a11 in the same folder.
bool produitDUneSource(const QFileInfo& f) {
    const QDir d = f.dir();
    const QString base = f.completeBaseName();
    const QStringList sources = d.entryList({base + QStringLiteral(".*")}, QDir::Files);
    return std::any_of(sources.begin(), sources.end(),
                       [&](const QString& n) { return estSource(QFileInfo(d.filePath(n))); });
}

} // namespace

std::vector<Soumission> trouverSoumissions(const QStringList& sources, QStringList& erreurs) {
    std::vector<Soumission> r;
    for (const QString& source : sources) {
        const QFileInfo info(source);
        if (info.isDir()) {
            std::vector<Soumission> dossier;
            QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QFileInfo f(it.next());
                if (!estSource(f) && !(estS19(f) && !produitDUneSource(f))) continue;
                // Named under the folder's own name: "submissions/alice/tp3.asm".
                const QDir base(info.absoluteFilePath());
                dossier.push_back(
                    {f.filePath(), QDir::cleanPath(base.dirName() + QLatin1Char('/') +
                                                   base.relativeFilePath(f.absoluteFilePath()))});
            }
            std::sort(dossier.begin(), dossier.end(),
                      [](const Soumission& a, const Soumission& b) { return a.nom < b.nom; });
            if (dossier.empty())
                erreurs << source + QStringLiteral(" : aucun programme (.asm, .a11, .s19) dans ce dossier");
            r.insert(r.end(), dossier.begin(), dossier.end());
        } else if (!info.exists()) {
            erreurs << source + QStringLiteral(" : fichier introuvable");
        } else if (estSource(info) || estS19(info)) {
            r.push_back({source, source});
        } else {
            erreurs << source + QStringLiteral(" : ni un source (.asm, .a11) ni un fichier S19 (.s19)");
        }
    }
    return r;
}

ChargementSoumission assemblerSource(const QString& texte, const QString& nom) {
    ChargementSoumission c;
    const asm11::Assemblage a = asm11::assembler(texte);
    for (const asm11::MessageAssemblage& m : a.erreurs)
        c.messages.push_back(
            QStringLiteral("%1(%2): error: %3").arg(nom).arg(m.ligne).arg(m.texte).toStdString());
    if (!c.messages.empty()) {
        c.refus = "ne s'assemble pas";
        return c;
    }
    ProgrammeLab p;
    for (const asm11::LigneAssemblee& l : a.lignes) {
        if (l.octets.isEmpty() || l.adresse < 0) continue;
        // Consecutive lines make one block.
        if (!p.blocs.empty() &&
            p.blocs.back().address + p.blocs.back().bytes.size() == std::size_t(l.adresse))
            p.blocs.back().bytes.insert(p.blocs.back().bytes.end(), l.octets.begin(), l.octets.end());
        else
            p.blocs.push_back({uint16_t(l.adresse), std::vector<uint8_t>(l.octets.begin(), l.octets.end())});
    }
    for (auto it = a.symboles.begin(); it != a.symboles.end(); ++it)
        p.etiquettes.emplace(it.key().toStdString(), uint16_t(it.value()));
    c.programme = std::move(p);
    return c;
}

ChargementSoumission chargerSoumission(const Soumission& s) {
    ChargementSoumission c;
    if (estSource(QFileInfo(s.chemin))) {
        QString erreur;
        const std::optional<QByteArray> octets =
            lireFichierOrdinaire(s.chemin, asm11::TailleMaxSource, erreur);
        if (!octets) {
            c.messages.push_back(erreur.toStdString());
            c.refus = "illisible";
            return c;
        }
        return assemblerSource(QString::fromLatin1(*octets), s.nom);
    }
    std::string texte, erreur;
    if (hc11::readSRecordFile(s.chemin.toStdString(), texte, erreur) != hc11::SRecordFileRead::Read) {
        c.messages.push_back(erreur);
        c.refus = "illisible";
        return c;
    }
    c.refus = "pas un fichier S19 valable";
    std::optional<hc11::SRecordImage> image = hc11::parseSRecords(texte, erreur);
    if (!image) {
        c.messages.push_back(s.nom.toStdString() + ": " + erreur);
        return c;
    }
    if (image->blocks.empty()) {
        c.messages.push_back(s.nom.toStdString() + ": aucun enregistrement S1, donc aucun programme");
        return c;
    }
    c.programme = ProgrammeLab{std::move(image->blocks), {}};
    return c;
}

} // namespace tessaline::lab
