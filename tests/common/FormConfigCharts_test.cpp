#include <gtest/gtest.h>
#include <QChart>
#include <QDir>

#include "TestEnv.h"
#include "common/FormConfig.h"
#include "common/Settings.h"
#include "framework/Application.h"
#include "framework/Charts.h"
#include "framework/ExtCtrls.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"

namespace {

const QString kFolder = QStringLiteral("C:\\cfg\\");

// A window of the settings-file family that holds both chart classes, with a panel
// between them so that the records stay in the order of the owned components.
class TFCharts : public TFormConfig {
  public:
    explicit TFCharts(TComponent* owner) : TFormConfig(owner) {
        SetName(QStringLiteral("FCharts"));
        chart = place<TChart>("Chart1");
        panel = place<TPanel>("Panel1");
        dbChart = place<TDBChart>("DBChart1");
    }
    TChart* chart;
    TPanel* panel;
    TDBChart* dbChart;

  private:
    template <class T>
    T* place(const char* name) {
        auto* c = new T(this);
        c->SetName(QString::fromLatin1(name));
        c->SetParent(this);
        return c;
    }
};

class FormConfigCharts : public ::testing::Test {
  protected:
    void SetUp() override {
        StringsPath = kFolder;
        QDir().mkpath(platform::MapPath(kFolder));
    }
    static QString file() { return platform::MapPath(kFolder + "Zorvantic.FCharts.cfg"); }
    static QStringList lines() {
        QStringList l = platform::FromCp1250(testenv::ReadFile(file())).split("\r\n");
        l.removeLast();
        return l;
    }
    static void put(const QStringList& l) {
        testenv::WriteFile(file(), platform::ToCp1250(l.join("\r\n") + "\r\n"));
    }
    // The content record of a component: its type line and its one value line.
    static QStringList record(const QStringList& l, const QString& name) {
        const qsizetype at = l.indexOf(name);
        return at > 0 ? QStringList{l[at - 1], l[at + 1]} : QStringList();
    }
    TApplication app;
};

TEST_F(FormConfigCharts, TitlesRoundTripEachChartClassInItsOwnRecord) {
    auto* a = app.CreateForm<TFCharts>();
    a->chart->Title.Text().Assign(QStringList{"Sprzedaż", "rok 2002, \"netto\""});
    a->dbChart->Title.Text().Assign(QStringList{"Obroty"});
    EXPECT_EQ(a->chart->Chart()->title(), "Sprzedaż<br>rok 2002, &quot;netto&quot;");
    EXPECT_EQ(a->dbChart->Chart()->title(), "Obroty");
    a->SaveFormConfig();

    const QStringList l = lines();
    EXPECT_EQ(record(l, "Chart1"), QStringList({"TChart", "Sprzedaż,\"rok 2002, \"\"netto\"\"\""}));
    EXPECT_EQ(record(l, "DBChart1"), QStringList({"TDBChart", "Obroty"}));
    EXPECT_LT(l.indexOf("Chart1"), l.indexOf("Panel1"));
    EXPECT_LT(l.indexOf("Panel1"), l.indexOf("DBChart1"));
    // Each chart is a control too: its control record follows its content record.
    EXPECT_EQ(l.mid(l.indexOf("DBChart1") + 2, 2), QStringList({"TControl", "DBChart1"}));

    auto* b = new TFCharts(&app);
    b->LoadFormConfig();
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_EQ(b->chart->Title.Text().ToStringList(), QStringList({"Sprzedaż", "rok 2002, \"netto\""}));
    EXPECT_EQ(b->dbChart->Title.Text().ToStringList(), QStringList({"Obroty"}));
    EXPECT_EQ(b->dbChart->Chart()->title(), "Obroty");
}

TEST_F(FormConfigCharts, ATitleLineIsReadWholeAndItsEmptyItemsFollowTheCommaTextRules) {
    auto* a = app.CreateForm<TFCharts>();
    a->chart->Title.Text().Assign(QStringList{QString(300, 't'), ""});  // a last empty item is lost
    a->dbChart->Title.Text().Assign(QStringList{""});                   // one empty item survives
    a->panel->SetCaption("after");
    a->SaveFormConfig();
    const QStringList l = lines();
    EXPECT_EQ(record(l, "Chart1")[1], QString(300, 't') + ",");
    EXPECT_EQ(record(l, "DBChart1")[1], "\"\"");

    auto* b = new TFCharts(&app);
    b->chart->Title.Text().Assign(QStringList{"design"});
    b->dbChart->Title.Text().Assign(QStringList{"design"});
    b->LoadFormConfig();
    EXPECT_EQ(b->chart->Title.Text().ToStringList(), QStringList{QString(300, 't')});
    EXPECT_EQ(b->dbChart->Title.Text().ToStringList(), QStringList{""});
    EXPECT_EQ(b->panel->Caption(), "after");  // still in step after the long line

    // An empty line is an empty title.
    QStringList edited = l;
    edited[l.indexOf("DBChart1") + 1] = "";
    put(edited);
    b->LoadFormConfig();
    EXPECT_EQ(b->dbChart->Title.Text().Count(), 0);
    EXPECT_EQ(b->dbChart->Chart()->title(), "");
}

TEST_F(FormConfigCharts, AChartNamedOtherwiseInTheFileStopsReadingThere) {
    auto* a = app.CreateForm<TFCharts>();
    a->SetCaption("Wykresy");
    a->chart->Title.Text().Assign(QStringList{"pierwszy"});
    a->dbChart->Title.Text().Assign(QStringList{"drugi"});
    a->SaveFormConfig();
    QStringList edited = lines();
    edited[edited.indexOf("DBChart1")] = "DBChart2";
    put(edited);

    auto* b = new TFCharts(&app);
    b->LoadFormConfig();
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
    EXPECT_EQ(b->Caption(), "Wykresy");
    EXPECT_EQ(b->chart->Title.Text().ToStringList(), QStringList{"pierwszy"});
    EXPECT_EQ(b->dbChart->Title.Text().Count(), 0);
}

}  // namespace
