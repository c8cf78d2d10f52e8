#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "WorkbenchFixture.h"
#include "cube/CrossTableModel.h"
#include "cube/CubeProgress.h"
#include "cube/DecisionCube.h"
#include "cube/DecisionGrid.h"
#include "cube/DecisionPivot.h"
#include "cube/DecisionSource.h"
#include "framework/Buttons.h"
#include "framework/StdCtrls.h"
#include "rtl/SysUtils.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

class MainWindowCube : public wbtest::WorkbenchTest {
  protected:
    void SetUp() override {
        wb.seed("CREATE TABLE sales (region VARCHAR(10), city VARCHAR(10), qty INTEGER)");
        wb.seed("INSERT INTO sales VALUES ('North', 'A', 3), ('North', 'B', 4), ('South', 'C', 5)");
        wb.connect();
    }

    // Runs the cube button (pressed as the user does) with `sql` in the memo; the editor
    // is answered by `edit` (nullptr: cancelled at once).
    void build(const QString& sql, const std::function<void(QWidget*)>& edit) {
        m->DecisionSQL->SetText(sql);
        testenv::Dialogs().onModal = [edit, this](QWidget* form, const QString& name) {
            editorShown = name;
            if (edit) edit(form);
            return 2;
        };
        QTest::mouseClick(m->SpeedButton1->Button(), Qt::LeftButton);
    }

    static void choose(QWidget* editor, int field, int role) {
        editor->findChild<QListWidget*>("FieldList")->setCurrentRow(field);
        editor->findChild<QComboBox*>("FieldRole")->setCurrentIndex(role);
    }
    static void pressOk(QWidget* editor) {
        QTest::mouseClick(editor->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    }

    QString cell(int r, int c) const { return m->DecisionGrid1->Model()->index(r, c).data().toString(); }

    QString editorShown;
};

TEST_P(MainWindowCube, EditorChoosesRolesAndTheGridShowsTheCube) {
    build("SELECT region, city, qty FROM sales", [](QWidget* editor) {
        choose(editor, 1, 0);  // city: not used
        choose(editor, 2, 4);  // qty: average
        pressOk(editor);
        EXPECT_FALSE(editor->isVisible());
    });
    EXPECT_EQ(editorShown, "DssCubeEditor");
    ASSERT_TRUE(m->DecisionCube->Loaded());
    EXPECT_TRUE(m->DecisionPivot->Visible());
    EXPECT_EQ(m->CubeProgress->Text(), "Rows read: 3");
    EXPECT_FALSE(m->CubeProgress->Visible());
    EXPECT_EQ(cell(1, 0), "North");
    EXPECT_EQ(cell(1, 1), "3.5");
    EXPECT_EQ(cell(2, 1), "5");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST_P(MainWindowCube, TooManyDimensionsAreRefusedInTheEditor) {
    wb.seed(
        "CREATE TABLE wide (a VARCHAR(1), b VARCHAR(1), c VARCHAR(1), d VARCHAR(1), e VARCHAR(1), "
        "f VARCHAR(1), n INTEGER)");
    wb.seed("INSERT INTO wide VALUES ('a', 'b', 'c', 'd', 'e', 'f', 1)");
    bool stayedOpen = false;
    build("SELECT * FROM wide", [&stayedOpen](QWidget* editor) {
        choose(editor, 5, 1);  // f as a sixth dimension
        pressOk(editor);
        stayedOpen = editor->isVisible();
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(testenv::Dialogs().boxTexts(), QStringList({"6 dimensions chosen; the cube holds at most 5."}));
    // Cancelled then: built with the five the defaults allow.
    ASSERT_TRUE(m->DecisionCube->Loaded());
    EXPECT_EQ(m->DecisionCube->Store().DimensionCount(), 5);
}

TEST_P(MainWindowCube, QueryErrorGoesToTheErrorBoxAndHidesThePivotBar) {
    build("SELECT region, qty FROM sales", nullptr);
    ASSERT_TRUE(m->DecisionPivot->Visible());
    ASSERT_EQ(editorShown, "DssCubeEditor");
    editorShown.clear();
    build("SELECT nothing FROM nowhere", nullptr);
    // The editor lists the query's fields: a query that fails never gets that far.
    EXPECT_EQ(editorShown, "");
    ASSERT_EQ(testenv::Dialogs().boxes.size(), 1u);
    EXPECT_EQ(testenv::Dialogs().boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_FALSE(m->DecisionPivot->Visible());
    EXPECT_FALSE(m->DecisionCube->Loaded());
    EXPECT_EQ(m->DecisionGrid1->Model()->rowCount(), 0);
}

TEST_P(MainWindowCube, OnlyTextColumnsOrNoRows) {
    build("SELECT region, city FROM sales", nullptr);
    ASSERT_EQ(
        testenv::Dialogs().boxTexts(),
        QStringList({"The cube needs at least one summary: a numeric field to sum, count or average."}));
    EXPECT_FALSE(m->DecisionPivot->Visible());

    testenv::Dialogs().clear();
    build("SELECT region, qty FROM sales WHERE qty > 100", nullptr);
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_TRUE(m->DecisionPivot->Visible());
    EXPECT_EQ(m->DecisionGrid1->Model()->rowCount(), 1);  // the headings alone
}

TEST_P(MainWindowCube, PivotingDoesNotRunTheQueryAgain) {
    build("SELECT region, city, qty FROM sales", nullptr);
    wb.seed("DROP TABLE sales");
    m->DecisionSource->MoveDimension(1, true);
    EXPECT_EQ(cell(1, 0), "North");
    EXPECT_EQ(cell(1, 1), "A");
    EXPECT_EQ(cell(1, 2), "3");
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

TEST_P(MainWindowCube, SumsOfADecimalColumnShowAsDecimalsWithOneSetOfSeparators) {
    wb.seed("CREATE TABLE pay (region VARCHAR(10), amount NUMERIC(12,2))");
    wb.seed(
        "INSERT INTO pay VALUES ('North', 25000.10), ('North', 810.20), ('North', 0.30), "
        "('South', 1000000.00), ('South', 4572.60)");
    build("SELECT region, amount FROM pay", nullptr);
    EXPECT_EQ(cell(1, 1), "25810.6");
    EXPECT_EQ(cell(2, 1), "1004572.6");

    testenv::DecimalSeparatorScope comma(',');
    SetThousandSeparator(QChar(0xA0));
    build("SELECT region, amount FROM pay", [](QWidget* editor) {
        editor->findChild<QListWidget*>("FieldList")->setCurrentRow(1);
        auto* format = editor->findChild<QLineEdit*>("Format");
        format->clear();
        QTest::keyClicks(format, "#,##0.00");  // typed, as the user does
        pressOk(editor);
    });
    EXPECT_EQ(cell(1, 1), QString::fromUtf8("25\u00A0810,60"));
    EXPECT_EQ(cell(2, 1), QString::fromUtf8("1\u00A0004\u00A0572,60"));
}

INSTANTIATE_TEST_SUITE_P(Backends, MainWindowCube, testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
