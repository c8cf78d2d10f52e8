#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <algorithm>

#include "ToolsFixture.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "platform/IniFile.h"
#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "tools/CharASCI.h"
#include "tools/FilenameEdit.h"
#include "tools/Konwerter.h"
#include "tools/ScanGrid.h"

namespace {

class Converter : public ::testing::Test {
  protected:
    void SetUp() override { FKonwerter->Show(); }
    TFKonwerter* k() const { return FKonwerter; }

    // Clicks into the field and replaces its text by typing, as the user does.
    static void typeInto(TEdit* field, const QString& keys) {
        field->SetFocus();
        ASSERT_EQ(field->LineEdit()->window()->focusWidget(), field->LineEdit());
        field->LineEdit()->selectAll();
        QTest::keyClick(field->LineEdit(), Qt::Key_Delete);
        // Key events with their text, so that letters beyond ASCII are typed too.
        for (const QChar c : keys)
            QTest::sendKeyEvent(QTest::Click, field->LineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void rule(int row, const QString& from, const QString& to) {
        typeInto(k()->ZnakZrodlowy[row], from);
        typeInto(k()->ZnakDocelowy[row], to);
    }
    void files(const QString& source, const QString& dest) {
        k()->Source->SetText(source);
        k()->Dest->SetText(dest);
    }
    void convert() { k()->BitBtn4->Click(); }

    toolstest::Tools tools;
};

TEST_F(Converter, TypedCodesAndCharactersKeepTheirPartnerInStep) {
    typeInto(k()->KodZrodlowy[1], "185");
    EXPECT_EQ(k()->ZnakZrodlowy[1]->Text(), "ą");
    typeInto(k()->KodDocelowy[1], "$41");
    EXPECT_EQ(k()->ZnakDocelowy[1]->Text(), "A");
    typeInto(k()->KodZrodlowy[2], "256");
    EXPECT_EQ(k()->ZnakZrodlowy[2]->Text(), "<błąd>");
    typeInto(k()->KodDocelowy[2], "-1");
    EXPECT_EQ(k()->ZnakDocelowy[2]->Text(), QString(QChar(0x02D9)));
    typeInto(k()->KodZrodlowy[3], "0");
    EXPECT_EQ(k()->ZnakZrodlowy[3]->Text(), "");

    // Typing behind a character is undone; the code follows the one kept.
    typeInto(k()->ZnakZrodlowy[12], "ab");
    EXPECT_EQ(k()->ZnakZrodlowy[12]->Text(), "a");
    EXPECT_EQ(k()->KodZrodlowy[12]->Text(), "97");
    typeInto(k()->ZnakDocelowy[12], "ą");
    EXPECT_EQ(k()->KodDocelowy[12]->Text(), "185");
    k()->ZnakDocelowy[12]->LineEdit()->clear();
    EXPECT_EQ(k()->KodDocelowy[12]->Text(), "<błąd>");

    // A text set by the program goes no further.
    k()->KodZrodlowy[5]->SetText("66");
    k()->ZnakDocelowy[5]->SetText("c");
    EXPECT_EQ(k()->ZnakZrodlowy[5]->Text(), "");
    EXPECT_EQ(k()->KodDocelowy[5]->Text(), "");
}

// Both code columns at the limits of the range, typed as the user types them, and the
// characters of the highest codes typed back into their character fields.
TEST_F(Converter, CodeFieldsAtTheLimitsOfTheirRange) {
    const QString ff = QString(QChar(0x02D9));
    const QString fe = QString(QChar(0x0163));
    const QList<QPair<QString, QString>> cases = {
        {"0", ""},         {"1", QString(QChar(1))},
        {"254", fe},       {"255", ff},
        {"256", "<błąd>"}, {"-1", ff},
        {"-256", ""},      {"$FF", ff},
        {"0xFE", fe},      {"x100", "<błąd>"},
        {"$FFFFFFFF", ff}, {"2147483648", "<błąd>"},
    };
    int row = 0;
    for (const auto& [code, character] : cases) {
        row = row % 12 + 1;
        typeInto(k()->KodZrodlowy[row], code);
        EXPECT_EQ(k()->ZnakZrodlowy[row]->Text(), character) << code.toStdString();
        typeInto(k()->KodDocelowy[row], code);
        EXPECT_EQ(k()->ZnakDocelowy[row]->Text(), character) << code.toStdString();
    }
    typeInto(k()->ZnakZrodlowy[1], ff);
    EXPECT_EQ(k()->KodZrodlowy[1]->Text(), "255");
    typeInto(k()->ZnakDocelowy[1], fe);
    EXPECT_EQ(k()->KodDocelowy[1]->Text(), "254");
    // A rule made of typed codes at the top of the range converts like one of characters.
    typeInto(k()->KodZrodlowy[2], "$FF");
    typeInto(k()->KodDocelowy[2], "254");
    const QString src = testenv::Root() + "/limits.bin";
    testenv::WriteFile(src, QByteArray("\xFF\x01\xFE", 3));
    for (int r = 3; r <= 12; ++r) {
        k()->ZnakZrodlowy[r]->SetText("");
        k()->ZnakDocelowy[r]->SetText("");
    }
    k()->ZnakZrodlowy[1]->SetText("");
    files(src, src + ".out");
    convert();
    EXPECT_EQ(testenv::ReadFile(src + ".out"), QByteArray("\xFE\x01\xFE", 3));
}

TEST_F(Converter, ConvertsWithChainedActiveRulesAndEmptiesTheScan) {
    QByteArray source(3000, 'x');
    source[0] = 'a';
    source[2047] = 'b';
    source[2048] = static_cast<char>(0xB9);  // ą
    source[2999] = 'q';
    testenv::WriteFile("in.txt", source);
    typeInto(k()->KodZrodlowy[1], "97");  // a
    typeInto(k()->KodDocelowy[1], "98");  // -> b
    rule(2, "b", "c");                    // a and b -> c
    rule(3, "ą", "A");
    typeInto(k()->KodZrodlowy[4], "113");  // q -> <błąd>: not active
    typeInto(k()->KodDocelowy[4], "999");
    rule(5, "x", "");  // one side empty: not active
    files(testenv::Root() + "/in.txt", testenv::Root() + "/out.txt");
    k()->Scan->ShowBlock("zz", 2);
    QAbstractItemModelTester tester(k()->Scan->View()->model());
    convert();

    QByteArray expected = source;
    expected[0] = 'c';
    expected[2047] = 'c';
    expected[2048] = 'A';
    EXPECT_EQ(testenv::ReadFile("out.txt"), expected);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"OK"}));
    for (int col : {0, 1, 2048, 2049}) EXPECT_EQ(k()->Scan->Cells(col, 0), "") << col;
}

// The scan row: every one of its cells narrow (18 pixels, or the style's least width),
// fixed, with no headers.
TEST_F(Converter, TheScanCellsKeepTheirFixedSize) {
    QTableView* view = k()->Scan->View();
    ASSERT_EQ(view->model()->columnCount(), TScanGrid::kColumns);
    const int width = std::max(18, view->horizontalHeader()->minimumSectionSize());
    for (int col : {0, 1, 2048, 2049}) EXPECT_EQ(view->columnWidth(col), width) << col;
    EXPECT_EQ(view->rowHeight(0), std::max(20, view->verticalHeader()->minimumSectionSize()));
    EXPECT_EQ(view->horizontalHeader()->sectionResizeMode(2049), QHeaderView::Fixed);
    EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_TRUE(view->horizontalHeader()->isHidden());
    EXPECT_TRUE(view->verticalHeader()->isHidden());
}

TEST_F(Converter, TheSourceAsDestinationIsRefusedAndKept) {
    testenv::WriteFile("data/in.txt", "precious");
    ASSERT_TRUE(QFile::link(testenv::Root() + "/data/in.txt", testenv::Root() + "/alias.txt"));
    rule(1, "p", "P");
    testenv::WriteFile(platform::MapPath("c:\\in.txt"), "precious");
    const std::vector<std::pair<QString, QString>> cases = {{"data/in.txt", "data/./in.txt"},
                                                            {"data/in.txt", testenv::Root() + "/alias.txt"},
                                                            {"c:\\in.txt", "C:\\in.txt"}};
    for (const auto& [source, dest] : cases) {
        testenv::Dialogs().clear();
        files(source, dest);
        convert();
        ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
        EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
        EXPECT_TRUE(testenv::Dialogs().boxes[0].text.contains("źródłowym"));
    }
    EXPECT_EQ(testenv::ReadFile("data/in.txt"), "precious");
    EXPECT_EQ(testenv::ReadFile(platform::MapPath("c:\\in.txt")), "precious");
}

TEST_F(Converter, AFailedConversionSaysSoTwice) {
    files(testenv::Root() + "/missing.txt", testenv::Root() + "/out.txt");
    convert();
    const QStringList shown = testenv::Dialogs().boxTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "Błąd podczas kopiawnia");
    EXPECT_TRUE(shown[1].contains("missing.txt")) << shown[1].toStdString();
    EXPECT_FALSE(shown.contains("OK"));
}

TEST_F(Converter, ClearEmptiesEveryRuleField) {
    for (int r = 1; r <= 12; ++r) rule(r, "a", "b");
    // A mouse click takes the focus from the field typed in last.
    QTest::mouseClick(k()->BWYczysc->Button(), Qt::LeftButton);
    for (int r = 1; r <= 12; ++r)
        for (TEdit* e :
             {k()->KodZrodlowy[r], k()->ZnakZrodlowy[r], k()->KodDocelowy[r], k()->ZnakDocelowy[r]})
            EXPECT_EQ(e->Text(), "") << e->Name().toStdString();
    EXPECT_TRUE(k()->ActiveRules().Empty());
}

TEST_F(Converter, ANewSourceProposesTheDestination) {
    files("c:\\a.txt", "c:\\mine.txt");
    EXPECT_EQ(k()->Dest->Text(), "c:\\mine.txt");
    testenv::Dialogs().fileAnswers.push_back(QString("c:\\b.txt"));
    k()->Source->Browse();
    EXPECT_EQ(k()->Source->Text(), "c:\\b.txt");
    EXPECT_EQ(k()->Dest->Text(), "c:\\b.txt.po_konwersji.txt");
}

TEST_F(Converter, FieldsSurviveARestartInTheIniFile) {
    rule(1, "a", "b");
    typeInto(k()->KodZrodlowy[12], "65");
    rule(7, " ", "x");  // a blank comes back empty
    files("c:\\src.txt", "c:\\edited.txt");
    k()->BitBtn1->Click();
    EXPECT_FALSE(k()->Visible());
    // Within the run the edited destination survives closing and opening again.
    k()->Show();
    EXPECT_EQ(k()->Dest->Text(), "c:\\edited.txt");
    k()->Close();

    const platform::TIniFile ini("Konwerter");
    EXPECT_EQ(ini.ReadSection("TFKonwerter").mid(0, 3), QStringList({"Dest.Text", "Source.Text", "K1.Text"}));
    EXPECT_EQ(ini.ReadSection("TFKonwerter").size(), 50);

    tools.restart();
    FKonwerter->Show();
    EXPECT_EQ(k()->Source->Text(), "c:\\src.txt");
    EXPECT_EQ(k()->Dest->Text(), "c:\\src.txt.po_konwersji.txt");
    EXPECT_EQ(k()->ZnakZrodlowy[1]->Text(), "a");
    EXPECT_EQ(k()->KodZrodlowy[1]->Text(), "97");
    EXPECT_EQ(k()->ZnakDocelowy[1]->Text(), "b");
    EXPECT_EQ(k()->KodDocelowy[1]->Text(), "98");
    EXPECT_EQ(k()->KodZrodlowy[12]->Text(), "65");
    EXPECT_EQ(k()->ZnakZrodlowy[12]->Text(), "A");
    EXPECT_EQ(k()->ZnakZrodlowy[7]->Text(), "");
    EXPECT_EQ(k()->KodZrodlowy[7]->Text(), "32");
}

TEST_F(Converter, AnEmptyStoredSourceKeepsTheStoredDestination) {
    files("", "c:\\only-dest.txt");
    k()->Close();
    tools.restart();
    FKonwerter->Show();
    EXPECT_EQ(k()->Source->Text(), "");
    EXPECT_EQ(k()->Dest->Text(), "c:\\only-dest.txt");
}

TEST_F(Converter, ButtonsOpenTheCodeWindowAndPreviews) {
    QStringList started;
    platform::SetCommandRunner([&](const platform::ProcessRequest& r) {
        started << r.program + " " + r.arguments.join(" ");
        return true;
    });
    files("c:\\a.txt", "c:\\b.txt");
    k()->PreviewSource->Click();
    k()->PreviewDest->Click();
    platform::SetCommandRunner({});
    ASSERT_EQ(started.size(), 2);
    EXPECT_TRUE(started[0].endsWith("drive_c/a.txt")) << started[0].toStdString();
    EXPECT_TRUE(started[1].endsWith("drive_c/b.txt")) << started[1].toStdString();

    bool shown = false;
    testenv::Dialogs().onModal = [&](QWidget*, const QString& name) {
        shown = name == "FCharASCI";
        return 2;
    };
    k()->BitBtn2->Click();
    EXPECT_TRUE(shown);
}

TEST_F(Converter, CodeWindowConvertsWhileTheUserTypes) {
    FCharASCI->Show();
    TEdit* e = FCharASCI->E;
    TEdit* p = FCharASCI->P;
    typeInto(e, "abc");
    EXPECT_EQ(p->Text(), "97,98,99");
    typeInto(e, "ąŁ");
    EXPECT_EQ(p->Text(), "185,163");
    typeInto(p, "97,,98");
    EXPECT_EQ(e->Text(), "a<błąd>b");
    typeInto(p, "65, 66,$43");
    EXPECT_EQ(e->Text(), "ABC");
    // A text set by the program goes no further.
    e->SetText("zzz");
    EXPECT_EQ(p->Text(), "65, 66,$43");
}

}  // namespace
