// The 68HC11 binutils as an oracle: every 68HC11 source of the tree gives the same
// bytes at the same addresses through our assembler and through m68hc11-as. Skipped,
// and reported so, when m68hc11-as is not installed (Debian package binutils-m68hc1x).
//
// The GNU assembler reads the classic syntax in its MRI mode (-M), with two
// differences that each source is bridged over, line by line, from our own assembly:
// - it has no ORG: each ORG, and each RMB, BSZ or ZMB (which move the location counter
//   or emit zeros), starts a section of its own, which a linker script places at the
//   address we give the next line. What lies between sections is zero in its image,
//   as our BSZ's and ZMB's bytes are; our image leaves RMB's bytes out;
// - it takes the extended mode for any address not prefixed by '*': each line we coded
//   in a direct mode gets that prefix (our assembler picks direct on its own for a
//   known address below $100).
#include "asm/assembler.h"
#include "asm/opcode_index.h"
#include "asm/source_line.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::asm11;

namespace {

struct SourceGnu {
    QString texte;
    QMap<int, int> sections; // section number -> address of its first byte
};

bool directe(const LigneAssemblee& l, const QString& operation) {
    const QVector<FormeInstruction>* formes = formesDe(operation);
    if (!formes || l.octets.isEmpty()) return false;
    const auto octet = [&](int i) { return i < l.octets.size() ? uint8_t(l.octets[i]) : 0; };
    for (const FormeInstruction& f : *formes) {
        const bool meme =
            f.prebyte == 0 ? octet(0) == f.opcode : octet(0) == f.prebyte && octet(1) == f.opcode;
        if (meme)
            return f.classe == InstrClass::Direct || f.classe == InstrClass::BitDirect ||
                   f.classe == InstrClass::BitBranchDirect;
    }
    return false;
}

SourceGnu versGnu(const Assemblage& a) {
    SourceGnu g;
    int section = 0;
    QStringList lignes{QStringLiteral("        section .text.o0")};
    for (const LigneAssemblee& l : a.lignes) {
        const LigneSource champs = decouper(l.texte);
        const QString op = champs.operation.toUpper();
        if (op == u"ORG" || op == u"RMB" || op == u"BSZ" || op == u"ZMB") {
            if (op != u"ORG" && !champs.etiquette.isEmpty()) lignes << champs.etiquette;
            lignes << QStringLiteral("        section .text.o%1").arg(++section);
            if (op == u"ORG" && !champs.etiquette.isEmpty()) lignes << champs.etiquette;
            continue;
        }
        if (!l.octets.isEmpty() && !g.sections.contains(section)) g.sections.insert(section, l.adresse);
        QString texte = l.texte;
        if (directe(l, champs.operation)) texte.insert(champs.reste.data() - l.texte.data(), u'*');
        lignes << texte;
    }
    g.texte = lignes.join(u'\n') + u'\n';
    return g;
}

QString lancer(const QString& programme, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programme, arguments);
    if (!p.waitForFinished(60000)) return programme + QStringLiteral(": did not finish");
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return programme + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll());
    return {};
}

// The bytes m68hc11-as and m68hc11-ld make of `g`, from the lowest section's address
// (`base`); gaps between sections are zero.
QByteArray assemblerGnu(const SourceGnu& g, const QString& gnu, int& base, QString& erreur) {
    QTemporaryDir dossier;
    const auto chemin = [&](const char* nom) { return dossier.filePath(QLatin1String(nom)); };
    QFile source(chemin("source.s"));
    QFile script(chemin("image.ld"));
    QString placement;
    for (auto it = g.sections.begin(); it != g.sections.end(); ++it)
        placement +=
            QStringLiteral("  .text.o%1 0x%2 : { *(.text.o%1) }\n").arg(it.key()).arg(it.value(), 0, 16);
    if (!source.open(QIODevice::WriteOnly) || source.write(g.texte.toLatin1()) < 0 ||
        !script.open(QIODevice::WriteOnly) ||
        script.write(
            ("OUTPUT_FORMAT(\"elf32-m68hc11\")\nOUTPUT_ARCH(m68hc11)\nSECTIONS {\n" + placement + "}\n")
                .toLatin1()) < 0) {
        erreur = QStringLiteral("cannot write in ") + dossier.path();
        return {};
    }
    source.close();
    script.close();
    const std::pair<const char*, QStringList> etapes[] = {
        {"as", {"-M", "--short-branches", "-o", chemin("source.o"), chemin("source.s")}},
        {"ld",
         {"--no-warn-rwx-segments", "-T", chemin("image.ld"), "-o", chemin("image.elf"), chemin("source.o")}},
        {"objcopy", {"-O", "binary", "--gap-fill", "0", chemin("image.elf"), chemin("image.bin")}}};
    for (const auto& [outil, arguments] : etapes)
        if (!(erreur = lancer(gnu + QLatin1String(outil), arguments)).isEmpty()) return {};
    QFile image(chemin("image.bin"));
    if (!image.open(QIODevice::ReadOnly)) {
        erreur = QStringLiteral("no image.bin");
        return {};
    }
    base = g.sections.isEmpty() ? 0 : *std::min_element(g.sections.begin(), g.sections.end());
    return image.readAll();
}

TEST(BinutilsOracle, EverySourceOfTheTreeGivesTheSameBytesThroughBothAssemblers) {
    const QString as = QStandardPaths::findExecutable(QStringLiteral("m68hc11-as"));
    if (as.isEmpty())
        GTEST_SKIP() << "m68hc11-as not found (Debian package binutils-m68hc1x): no comparison with the "
                        "binutils";
    const QString gnu = as.chopped(2); // .../m68hc11-

    int sources = 0;
    for (const char* dossier :
         {"src/link", "examples", "tests/sim/programs", "tests/differential", "bench"}) {
        const QDir d(QStringLiteral(TESSALINE_SOURCE_DIR "/") + QLatin1String(dossier));
        for (const QString& nom : d.entryList({QStringLiteral("*.asm")}, QDir::Files)) {
            SCOPED_TRACE(QStringLiteral("%1/%2").arg(QLatin1String(dossier), nom).toStdString());
            QFile f(d.filePath(nom));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const Assemblage a = assembler(QString::fromLatin1(f.readAll()));
            ASSERT_TRUE(a.erreurs.isEmpty())
                << a.erreurs.front().ligne << ": " << a.erreurs.front().texte.toStdString();
            ++sources;

            int base = 0;
            QString erreur;
            const SourceGnu g = versGnu(a);
            const QByteArray leur = assemblerGnu(g, gnu, base, erreur);
            ASSERT_TRUE(erreur.isEmpty()) << erreur.toStdString() << "\n" << g.texte.toStdString();

            QMap<int, uint8_t> notre;
            for (const LigneAssemblee& l : a.lignes)
                for (int i = 0; i < l.octets.size(); ++i)
                    notre.insert(l.adresse + i, uint8_t(l.octets[i]));
            const auto hex = [](int v) { return QString::number(v, 16).toUpper().toStdString(); };
            int differents = 0;
            for (int i = 0; i < leur.size(); ++i) {
                const int attendu = notre.value(base + i, 0);
                if (uint8_t(leur[i]) != attendu && ++differents <= 5) {
                    ADD_FAILURE() << "at $" << hex(base + i) << ": ours $" << hex(attendu) << ", binutils $"
                                  << hex(uint8_t(leur[i]));
                }
            }
            EXPECT_EQ(differents, 0);
            if (!notre.isEmpty()) {
                EXPECT_LE(notre.lastKey(), base + leur.size() - 1) << "binutils image too short";
            }
        }
    }
    EXPECT_GE(sources, 14);
}

} // namespace
