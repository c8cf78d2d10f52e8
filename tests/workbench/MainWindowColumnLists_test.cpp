#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "WorkbenchFixture.h"
#include "db/Database.h"
#include "db/Field.h"
#include "db/Query.h"
#include "framework/ComCtrls.h"
#include "framework/DBGrids.h"
#include "framework/StdCtrls.h"
#include "workbench/ColumnLists.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

enum { kColumnName = 0, kInCondition = 1, kCommaList = 2, kLineList = 3, kDoNothing = 6, kAsk = 7 };
enum { kByFieldClass = 0, kAlwaysQuoted = 1, kNeverQuoted = 2 };
const char* const kQuestion = "Expression has already reached 256 pieces. Do you want to continue ?";

QString clipboard() {
    return QGuiApplication::clipboard()->text();
}

// ---- the two free functions ----------------------------------------------------------

TEST(FieldNeedsQuotes, NumbersAndDatesGoUnquotedEverythingElseQuoted) {
    TIntegerField integer(nullptr, "A");
    TSmallintField smallint(nullptr, "A");
    TWordField word(nullptr, "A");
    TAutoIncField autoInc(nullptr, "A");
    TFloatField floating(nullptr, "A");
    TCurrencyField currency(nullptr, "A");
    TDateTimeField dateTime(nullptr, "A");
    TDateField date(nullptr, "A");
    TTimeField time(nullptr, "A");
    for (const TField* f : std::initializer_list<const TField*>{
             &integer, &smallint, &word, &autoInc, &floating, &currency, &dateTime, &date, &time})
        EXPECT_FALSE(FieldNeedsQuotes(f)) << static_cast<int>(f->DataType());

    TStringField text(nullptr, "A", 10);
    TMemoField memo(nullptr, "A");
    TBlobField blob(nullptr, "A");
    TBooleanField boolean(nullptr, "A");
    TLargeintField largeint(nullptr, "A");
    TBCDField bcd(nullptr, "A", 10, 2);
    TBytesField bytes(nullptr, "A");
    for (const TField* f :
         std::initializer_list<const TField*>{&text, &memo, &blob, &boolean, &largeint, &bcd, &bytes})
        EXPECT_TRUE(FieldNeedsQuotes(f)) << static_cast<int>(f->DataType());
    EXPECT_TRUE(FieldNeedsQuotes(nullptr));
}

TEST(QuotedSQLValue, DoublesApostrophesAndDropsBlankTexts) {
    EXPECT_EQ(QuotedSQLValue(""), "");
    EXPECT_EQ(QuotedSQLValue("   "), "");
    EXPECT_EQ(QuotedSQLValue(" \t\r\n"), "");
    EXPECT_EQ(QuotedSQLValue("O'Brien"), "'O''Brien'");
    EXPECT_EQ(QuotedSQLValue("''"), "''''''");
    EXPECT_EQ(QuotedSQLValue(" a "), "' a '") << "not trimmed";
    EXPECT_EQ(QuotedSQLValue("012"), "'012'");
}

// ---- clicks on the grid's titles -----------------------------------------------------

class ColumnLists : public wbtest::WorkbenchTest {
  protected:
    void SetUp() override {
        wb.seed("CREATE TABLE p (id INTEGER, name VARCHAR(30), ok BOOLEAN, amount FLOAT, born DATE)");
    }

    // Runs a statement the way the user does: typed into a field, then Enter.
    void open(const QString& sql) {
        if (!m->Database->Connected()) wb.connect();
        m->FSkipHint = true;
        m->SQL1->SetText(sql);
        m->FSkipHint = false;
        m->SQL1->SetFocus();
        QTest::keyClick(m->SQL1->LineEdit(), Qt::Key_Return);
        ASSERT_TRUE(m->MainQuery->Active()) << testenv::Dialogs().boxTexts().join(" | ").toStdString();
        testenv::Dialogs().clear();
    }

    void fill(int rows) {
        if (GetParam() == Backend::Postgres)
            wb.seed(QString("INSERT INTO p (id, name) SELECT g, 'n' || g FROM generate_series(1, %1) AS g")
                        .arg(rows));
        else
            wb.seed(QString("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < %1) "
                            "INSERT INTO p (id, name) SELECT g, 'n' || g FROM s")
                        .arg(rows));
    }

    // A click on the title of column `index`, with the mouse on the grid's header.
    void clickTitle(int index, int afterClick, int quoting = kByFieldClass) {
        m->AfterClickInColumn->SetItemIndex(afterClick);
        m->ObtainInExpression->SetItemIndex(quoting);
        QGuiApplication::clipboard()->setText("untouched");
        QHeaderView* header = m->Grid->View()->horizontalHeader();
        // The middle of the title: near its edges a press grabs the resize handle instead.
        const QPoint at(header->sectionViewportPosition(index) + header->sectionSize(index) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
};

TEST_P(ColumnLists, TitleGoesToTheClipboardUnlessBlankAndTheOtherOptionsSayTheyAreNotThere) {
    open("SELECT id, name FROM p");
    clickTitle(1, kColumnName);
    EXPECT_EQ(clipboard(), m->Grid->Columns(1).Title.Caption);
    EXPECT_EQ(m->StatusBar->PanelText(2), "There is the text in the clipboard : " + clipboard());
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());

    for (int option : {4, 5, int(kDoNothing), int(kAsk)}) {
        testenv::Dialogs().clear();
        clickTitle(0, option);
        EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({"Option "})) << option;
        EXPECT_EQ(clipboard(), m->Grid->Columns(0).Title.Caption) << option;
    }

    // A blank title copies nothing.
    TColumn column = m->Grid->Columns(0);
    column.Title.Caption = "  ";
    m->ShowStatus("before");
    QGuiApplication::clipboard()->setText("untouched");
    m->AfterClickInColumn->SetItemIndex(kColumnName);
    m->GridTitleClick(column);
    EXPECT_EQ(clipboard(), "untouched");
    EXPECT_EQ(m->StatusBar->PanelText(2), "before");
}

TEST_P(ColumnLists, ValuesAreQuotedByFieldClassAndBlanksLeftOut) {
    wb.seed("INSERT INTO p VALUES (1, 'O''Brien', TRUE, 1.5, '2001-02-03')");
    wb.seed("INSERT INTO p VALUES (2, '', FALSE, 2.25, NULL)");
    wb.seed("INSERT INTO p VALUES (NULL, '   ', NULL, NULL, NULL)");
    wb.seed("INSERT INTO p VALUES (4, 'Smith', TRUE, 3, '2004-05-06')");
    open("SELECT id, name, ok, amount, born FROM p ORDER BY id");

    clickTitle(0, kInCondition);
    const QString idName = m->Grid->Columns(0).FieldName;
    const QStringList ids = clipboard().mid(idName.size() + 5).chopped(1).split(',');
    EXPECT_EQ(clipboard(), idName + " in (" + ids.join(',') + ")");
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()), QSet<QString>({"1", "2", "4"}));
    EXPECT_EQ(m->StatusBar->PanelText(2), "Result was set in the clipboard");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_TRUE(m->MainQuery->Eof());
    EXPECT_EQ(m->MainQuery->RecNo(), 4) << "the walk ends on the last record";

    clickTitle(1, kCommaList);
    QStringList names = clipboard().split(',');
    names.sort();
    EXPECT_EQ(names, QStringList({"'O''Brien'", "'Smith'"}));

    clickTitle(2, kCommaList);
    for (const QString& v : clipboard().split(','))
        EXPECT_TRUE(v.startsWith('\'') && v.endsWith('\''))
            << "Boolean values are quoted: " << v.toStdString();
    EXPECT_EQ(clipboard().split(',').size(), 3);

    clickTitle(3, kCommaList);
    EXPECT_EQ(clipboard().split(',').size(), 3);
    EXPECT_FALSE(clipboard().contains('\'')) << clipboard().toStdString();

    clickTitle(4, kCommaList);
    EXPECT_EQ(clipboard().split(',').size(), 2);
    EXPECT_FALSE(clipboard().contains('\'')) << clipboard().toStdString();

    // The quoting the user chose overrides the field class.
    clickTitle(0, kCommaList, kAlwaysQuoted);
    QStringList quoted = clipboard().split(',');
    quoted.sort();
    EXPECT_EQ(quoted, QStringList({"'1'", "'2'", "'4'"}));
    clickTitle(1, kCommaList, kNeverQuoted);
    EXPECT_EQ(clipboard(), "O'Brien,Smith");
}

TEST_P(ColumnLists, EmptyResultGivesAnEmptyListAndStillReports) {
    open("SELECT id FROM p");
    clickTitle(0, kInCondition);
    EXPECT_EQ(clipboard(), m->Grid->Columns(0).FieldName + " in ()");
    EXPECT_EQ(m->StatusBar->PanelText(2), "Result was set in the clipboard");
    clickTitle(0, kCommaList);
    EXPECT_EQ(clipboard(), "");
    m->ShowStatus("before");
    clickTitle(0, kLineList);
    EXPECT_EQ(clipboard(), "");
    EXPECT_EQ(m->StatusBar->PanelText(2), "Result was set in the clipboard");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

QStringList expectedIds(int count) {
    QStringList ids;
    for (int i = 1; i <= count; ++i) ids << QString::number(i);
    return ids;
}

TEST_P(ColumnLists, With256RowsTheQuestionComesAfterTheLastAndEitherAnswerKeepsAll) {
    fill(256);
    open("SELECT id FROM p ORDER BY id");
    for (int answer : {platform::IDNO, platform::IDYES}) {
        testenv::Dialogs().clear();
        testenv::Dialogs().answers = {answer};
        clickTitle(0, kCommaList);
        EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({kQuestion}));
        EXPECT_EQ(testenv::Dialogs().boxes[0].buttons, platform::BoxButtons::YesNo);
        EXPECT_EQ(clipboard().split(','), expectedIds(256)) << answer;
    }
}

TEST_P(ColumnLists, With300RowsNoStopsAt256AndYesGoesOnWithoutAskingAgain) {
    fill(300);
    open("SELECT id FROM p ORDER BY id");
    testenv::Dialogs().answers = {platform::IDNO};
    clickTitle(0, kInCondition);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({kQuestion}));
    EXPECT_EQ(clipboard(), m->Grid->Columns(0).FieldName + " in (" + expectedIds(256).join(',') + ")");
    EXPECT_EQ(m->MainQuery->RecNo(), 300);

    testenv::Dialogs().clear();
    testenv::Dialogs().answers = {platform::IDYES};
    clickTitle(0, kLineList);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({kQuestion}));
    EXPECT_EQ(clipboard().split("\r\n"), expectedIds(300));
}

TEST_P(ColumnLists, QuestionCountsRecordsNotValues) {
    fill(250);
    for (int i = 0; i < 10; ++i) wb.seed("INSERT INTO p (id, name) VALUES (1000, ' ')");
    open("SELECT name FROM p ORDER BY id");
    testenv::Dialogs().answers = {platform::IDNO};
    clickTitle(0, kCommaList);
    EXPECT_EQ(testenv::Dialogs().boxTexts(), QStringList({kQuestion}));
    EXPECT_EQ(clipboard().split(',').size(), 250);
}

INSTANTIATE_TEST_SUITE_P(Backends, ColumnLists, testing::Values(Backend::Sqlite, Backend::Postgres),
                         wbtest::ParamName);

}  // namespace
