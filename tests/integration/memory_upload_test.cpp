// Target memory saved to .BIN and .DIS files on the simulated board: the files
// against the board's memory, the reads the host made, and the old file kept
// whenever the new one could not be made whole.
#include "operations/console_commands.h"
#include "operations/memory_upload.h"
#include "sim/eeprom_image.h"
#include "wire_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QByteArray AncienContenu = "l'ancien fichier, plus long que ce qui le remplace\r\n";

class Televersement : public ::testing::Test {
protected:
    void SetUp() override {
        std::string erreur;
        ASSERT_EQ(hc11::loadEepromImage(t.sim.board, TESSALINE_EXAMPLES "/compteur.s19", erreur),
                  hc11::EepromImageLoad::Loaded)
            << erreur;
        ASSERT_TRUE(t.demarrer());
        chemin = dir.filePath(QStringLiteral("SORTIE.BIN"));
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(AncienContenu);
    }
    // The range and the name the save dialog will give.
    void plage(const QString& adresse, const QString& longueur) {
        t.session.console.CmdAdresse = adresse;
        t.session.console.CmdLongueur = longueur;
        ecran().fichiers.enqueue(chemin);
    }
    QByteArray contenu() const {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QVector<int> comptesLus() const {
        QVector<int> l;
        for (const Echange& e : t.lectures())
            l << e.count;
        return l;
    }
    RecordingScreen& ecran() { return t.sim.ecran; }
    QStringList messages() { return ecran().messageTexts(); }
    // The console as a stopped target has it once the upload is over.
    void consolePrete() {
        EXPECT_TRUE(ecran().isEnabled("cmdMEMDUMP") && ecran().isEnabled("cmdRUN"));
        EXPECT_FALSE(ecran().isEnabled("cmdSTOP"));
        EXPECT_FALSE(ecran().waitVisible);
    }

    QTemporaryDir dir;
    QString chemin;
    SessionEnregistree t{"68HC11F1", 8};
};

} // namespace

// $100 bytes in four reads of 64, the file the board's bytes exactly (over an
// older, longer file); $41 bytes in one read of 64 and one of 1.
TEST_F(Televersement, BinHoldsTheBoardsBytesReadInChunksOf64) {
    for (int i = 0; i < 0x100; ++i)
        t.sim.board.poke(uint16_t(0x0200 + i), uint8_t(i * 7 + 3));
    plage(QStringLiteral("0200"), QStringLiteral("0100"));
    EXPECT_EQ(UpLoadBIN(t.session), FinTeleversement::Sauvegarde);
    const QByteArray f = contenu();
    ASSERT_EQ(f.size(), 256);
    for (int i = 0; i < 0x100; ++i)
        ASSERT_EQ(static_cast<quint8>(f[i]), t.sim.board.peek(uint16_t(0x0200 + i))) << i;
    EXPECT_EQ(comptesLus(), (QVector<int>{64, 64, 64, 64}));
    EXPECT_EQ(messages(), QStringList{"Fichier Sauvegard\u00e9 :\r\n" + chemin});
    consolePrete();

    t.ligne.envoyes.clear();
    plage(QStringLiteral("FE00"), QStringLiteral("41"));
    EXPECT_EQ(UpLoadBIN(t.session), FinTeleversement::Sauvegarde);
    EXPECT_EQ(contenu().size(), 0x41);
    EXPECT_EQ(contenu().left(3), QByteArray::fromHex("0E7F01"));
    EXPECT_EQ(comptesLus(), (QVector<int>{64, 1}));
}

// A length of 0 and a cancelled dialog read nothing and leave the old file;
// the console is ready for the next command.
TEST_F(Televersement, NothingToSaveKeepsTheOldFileAndTheConsoleReady) {
    plage(QStringLiteral("0200"), QStringLiteral("0000"));
    EXPECT_EQ(UpLoadBIN(t.session), FinTeleversement::Vide);
    EXPECT_EQ(contenu(), AncienContenu);
    EXPECT_TRUE(t.ligne.envoyes.isEmpty());
    EXPECT_TRUE(messages().isEmpty());

    // Execute on Upload DIS, the dialog cancelled.
    selectionnerCommande(t.session, code::UploadDis, QStringLiteral("Upload DIS"));
    t.session.console.CmdLongueur = QStringLiteral("0010");
    EXPECT_TRUE(executerCommande(t.session));
    EXPECT_EQ(t.ligne.envoyes.toHex(), "07") << "the check that the Talker is there, and no read";
    EXPECT_EQ(contenu(), AncienContenu);
    EXPECT_TRUE(messages().isEmpty());
    consolePrete();
}

// The board stops answering halfway: the failure is said, the old file stays
// whole and no temporary file is left; "Fichier Sauvegardé" is not shown.
TEST_F(Televersement, AFailedReadKeepsTheOldFile) {
    for (const bool dis : {false, true}) {
        SCOPED_TRACE(dis ? "DIS" : "BIN");
        // The board held in reset by the first pass leaves it for a new Talker.
        if (dis) {
            ASSERT_TRUE(t.demarrer());
        }
        ecran().messages.clear();
        plage(QStringLiteral("FE00"), QStringLiteral("0200"));
        // After the 0.3 s wait, a few reads in.
        t.sim.horloge.after(0.3 + 0.1, [&] { t.sim.board.holdReset(); });
        EXPECT_EQ(dis ? UpLoadDIS(t.session) : UpLoadBIN(t.session), FinTeleversement::Echec);
        EXPECT_EQ(contenu(), AncienContenu);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"SORTIE.BIN"});
        ASSERT_FALSE(messages().isEmpty());
        EXPECT_TRUE(messages().last().startsWith(dis ? "Erreur UpLoadDIS Adresse : FE"
                                                     : "Erreur UpLoadBIN Adresse : FE"))
            << messages().last().toStdString();
        EXPECT_TRUE(messages().filter("Fichier Sauvegard").isEmpty());
        EXPECT_EQ(ecran().panel("Talker"), "Pas de Talker");
        EXPECT_FALSE(ecran().waitVisible);
    }
}

// The listing: address, TAB, the disassembler's line; the instruction that
// starts at the end address is listed whole; the listing stops at $FFFF.
TEST_F(Televersement, DisListsWholeInstructionsAndStopsAtFFFF) {
    // End address $FE1D, where LDAB #$10 starts (two bytes).
    plage(QStringLiteral("FE00"), QStringLiteral("001E"));
    EXPECT_EQ(UpLoadDIS(t.session), FinTeleversement::Sauvegarde);
    QStringList lignes = QString::fromLatin1(contenu()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lignes.takeLast(), QString());
    ASSERT_EQ(lignes.size(), 14);
    EXPECT_TRUE(lignes[0].startsWith("FE00\t\t0E\t")) << lignes[0].toStdString();
    EXPECT_TRUE(lignes[0].endsWith("CLI"));
    EXPECT_TRUE(lignes[13].startsWith("FE1D\t\tC610\t")) << lignes[13].toStdString();
    EXPECT_EQ(comptesLus(), QVector<int>(14, 6));

    // Erased EEPROM reads as STX $FFFF, three bytes: $FFF0 to $FFFC, then $FFFF is reached.
    plage(QStringLiteral("FFF0"), QStringLiteral("0100"));
    EXPECT_EQ(UpLoadDIS(t.session), FinTeleversement::Sauvegarde);
    lignes = QString::fromLatin1(contenu()).split(QStringLiteral("\r\n"));
    lignes.removeLast();
    ASSERT_EQ(lignes.size(), 5);
    EXPECT_TRUE(lignes.last().startsWith("FFFC\t"));
}

// A name typed without an extension gets the filter's (an existing file of the
// completed name is replaced only once the user agrees), and the console's
// trace entry names the range and the file.
TEST_F(Televersement, ANameWithoutExtensionGetsItAndTheTraceNamesFileAndRange) {
    const QString sansExtension = dir.filePath(QStringLiteral("PROGRAMME"));
    for (const bool dis : {false, true}) {
        SCOPED_TRACE(dis ? "DIS" : "BIN");
        const QString attendu = sansExtension + (dis ? ".DIS" : ".BIN");
        t.session.console.CmdAdresse = QStringLiteral("FE00");
        t.session.console.CmdLongueur = QStringLiteral("0010");
        ecran().fichiers.enqueue(sansExtension);
        ecran().clear(Zone::Trace);
        dis ? cmdUpLoadDIS(t.session) : cmdUpLoadBIN(t.session);
        EXPECT_TRUE(QFileInfo(attendu).isFile());
        EXPECT_FALSE(QFileInfo::exists(sansExtension));
        const QString trace = ecran().text(Zone::Trace);
        EXPECT_TRUE(
            trace.endsWith((dis ? "\tUpload DIS FE00-FE0F " : "\tUpload BIN FE00-FE0F ") + attendu + "\r\n"))
            << trace.toStdString();

        // Again: the completed name now exists, and Non keeps it.
        QFile ancien(attendu);
        ASSERT_TRUE(ancien.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ancien.write(AncienContenu);
        ancien.close();
        ecran().messages.clear();
        ecran().answers.enqueue(Reponse::Non);
        ecran().fichiers.enqueue(sansExtension);
        EXPECT_EQ(dis ? UpLoadDIS(t.session) : UpLoadBIN(t.session), FinTeleversement::Abandonne);
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages()[0].startsWith("Le fichier " + attendu + " existe d\u00e9j\u00e0."));
        QFile garde(attendu);
        ASSERT_TRUE(garde.open(QIODevice::ReadOnly));
        EXPECT_EQ(garde.readAll(), AncienContenu);
    }
}
