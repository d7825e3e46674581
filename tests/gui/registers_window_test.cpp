// The registers window and Reg SET mode, on the simulated board.
#include "gui_fixture.h"
#include "link/registers.h"
#include "ui/console_window.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class Registres : public ::testing::Test {
protected:
    void SetUp() override {
        s.fenetre->demarrer();
        s.controle<QPushButton>("cmdLOADTALKER")->click();
        ASSERT_EQ(s.fenetre->ecran().panel(QStringLiteral("Talker")), "Talker Charg\u00e9");
        // The progress window has come and gone: the main window is the active one again.
        QApplication::setActiveWindow(s.fenetre.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(s.fenetre.get()));
    }
    QLineEdit* boite(const char* nom) { return s.controle<QLineEdit>(nom); }
    QCheckBox* regSet() { return s.controle<QCheckBox>("chkREGSET"); }
    QString derniereLigneTrace() {
        QStringList l = s.fenetre->trace()->area()->toPlainText().split(u'\n', Qt::SkipEmptyParts);
        return l.isEmpty() ? QString() : l.last();
    }
    GuiSession s;
};

} // namespace

TEST_F(Registres, BoxesShowTheRegisterSetAndAreLocked) {
    EXPECT_EQ(boite("tbRegSP")->text(), "00E8");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE00");
    boite("tbRegA")->setFocus();
    QTest::keyClicks(boite("tbRegA"), QStringLiteral("5"));
    EXPECT_EQ(boite("tbRegA")->text(), s.fenetre->session().registres.RegA) << "locked: nothing typed";
}

TEST_F(Registres, KeysCompletionAndTheEnterCycle) {
    regSet()->click();
    ASSERT_TRUE(s.fenetre->registres()->editable());
    QLineEdit* ix = boite("tbRegIX");
    ix->setFocus();
    ix->clear();
    const int avant = s.fenetre->ecran().beeps();
    QTest::keyClicks(ix, QStringLiteral("a"));
    EXPECT_EQ(ix->text(), "A");
    QTest::keyClicks(ix, QStringLiteral("G"));
    EXPECT_EQ(ix->text(), "A");
    EXPECT_EQ(s.fenetre->ecran().beeps(), avant + 1);
    ix->clear();
    QTest::keyClicks(ix, QStringLiteral("5"));
    QTest::keyClick(ix, Qt::Key_Return); // to IY: IX is left
    EXPECT_EQ(ix->text(), "0005");
    EXPECT_EQ(s.fenetre->session().registres.RegIX, "0005");
    EXPECT_TRUE(boite("tbRegIY")->hasFocus());

    QLineEdit* a = boite("tbRegA");
    a->setFocus();
    a->clear();
    boite("tbRegB")->setFocus();
    EXPECT_EQ(a->text(), "00") << "an empty A is completed to two digits";

    boite("tbRegSP")->setFocus();
    QTest::keyClick(boite("tbRegSP"), Qt::Key_Return);
    EXPECT_TRUE(boite("tbRegPC")->hasFocus()) << "Enter goes round from SP to PC";
}

// Across $AA, $CC, $F0 and $0F each bit is both set and clear, and no
// two bits take the same values: a label on the wrong bit shows.
TEST_F(Registres, CcrBitsOnTheLabels) {
    regSet()->click();
    for (const char* texte : {"AA", "CC", "F0", "0F"}) {
        const int valeur = QString::fromLatin1(texte).toInt(nullptr, 16);
        boite("tbRegCCR")->setText(QLatin1String(texte));
        for (int i = 0; i < 8; ++i) {
            auto* l = s.controle<QLabel>(nomIndexe(QStringLiteral("lblCCR"), i).toLatin1());
            ASSERT_NE(l, nullptr);
            const bool un = (valeur >> i) & 1;
            EXPECT_EQ(l->text(), un ? "1" : "0") << texte << " bit " << i;
        }
    }
}

TEST_F(Registres, RegSetListsExactlyTheChangedRegistersInOrder) {
    regSet()->click();
    EXPECT_EQ(s.fenetre->console()->echo()->toPlainText(), "Reg SET");
    regSet()->click();
    EXPECT_EQ(derniereLigneTrace(), "\t\t  ==>  Registres : ") << "no change, the bare line";
    EXPECT_TRUE(boite("tbRegPC")->isReadOnly());

    regSet()->click();
    boite("tbRegB")->setText(QStringLiteral("12"));
    boite("tbRegPC")->setText(QStringLiteral("FE10"));
    regSet()->click();
    EXPECT_EQ(derniereLigneTrace(), "\t\t  ==>  Registres : PC=FE10  B=12  ");
    EXPECT_EQ(s.fenetre->session().registres.RegPC, "FE10") << "kept for the next run";
    EXPECT_EQ(s.fenetre->session().registres.RegB, "12");
}

TEST_F(Registres, RightClickOpensTheTalkerMenuOnlyWhileRegSetCanBeEntered) {
    auto* menu = s.fenetre->findChild<QMenu*>(QStringLiteral("mnuCmdTalker"));
    ASSERT_NE(menu, nullptr);
    QTimer::singleShot(50, menu, &QMenu::close);
    QTest::mouseClick(boite("tbRegA"), Qt::RightButton);
    EXPECT_TRUE(boite("tbRegA")->hasFocus());

    regSet()->setEnabled(false);
    bool ouvert = false;
    QObject::connect(menu, &QMenu::aboutToShow, [&] { ouvert = true; });
    QTest::mouseClick(boite("tbRegB"), Qt::RightButton);
    EXPECT_FALSE(ouvert) << "no menu while Reg SET is disabled";
    regSet()->setEnabled(true);

    s.controle<QAction>("mnuRegSet")->trigger();
    EXPECT_TRUE(regSet()->isChecked()) << "the menu's item enters Reg SET";
    EXPECT_FALSE(boite("tbRegA")->isReadOnly());
}
