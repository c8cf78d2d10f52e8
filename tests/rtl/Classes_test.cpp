#include <gtest/gtest.h>

#include "TestEnv.h"

#include "rtl/Classes.h"

namespace {

QStringList roundTrip(const QStringList& items) {
    TStringList l(items);
    TStringList back;
    back.SetCommaText(l.CommaText());
    return back.Lines();
}

TEST(CommaText, QuotesOnlyItemsWithBlanksControlsQuotesOrCommas) {
    EXPECT_EQ(TStringList(QStringList{"a", "b c", "", "x\"y", "1,2", "t\tu"}).CommaText(),
              QString("a,\"b c\",,\"x\"\"y\",\"1,2\",\"t\tu\""));
    EXPECT_EQ(TStringList(QStringList{""}).CommaText(), QString("\"\""));
    EXPECT_EQ(TStringList().CommaText(), QString(""));
}

TEST(CommaText, ReadingSkipsBlanksAndEndsUnquotedItemsAtBlanks) {
    TStringList l;
    l.SetCommaText("  a , \"b c\" ,, d e");
    EXPECT_EQ(l.Lines(), QStringList({"a", "b c", "", "d", "e"}));
    l.SetCommaText("a,");
    EXPECT_EQ(l.Lines(), QStringList({"a"})) << "a comma at the end adds no item";
    l.SetCommaText("\"\"");
    EXPECT_EQ(l.Lines(), QStringList({""}));
    l.SetCommaText("");
    EXPECT_EQ(l.Count(), 0);
}

TEST(CommaText, RoundTripsExceptAFinalEmptyItem) {
    EXPECT_EQ(roundTrip({"a", "", "b"}), QStringList({"a", "", "b"}));
    EXPECT_EQ(roundTrip({"Grid \"x\"", "1,2"}), QStringList({"Grid \"x\"", "1,2"}));
    EXPECT_EQ(roundTrip({"a", ""}), QStringList({"a"}));
    EXPECT_EQ(roundTrip({""}), QStringList({""}));
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
    TStringList l;
    l.SetText("a\r\nb\rc\nd\r\n");
    EXPECT_EQ(l.Lines(), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(l.Text(), QString("a\r\nb\r\nc\r\nd\r\n"));
    l.SetText("\r\n");
    EXPECT_EQ(l.Lines(), QStringList({""}));
}

TEST(StringList, EmptyValueRemovesTheParameter) {
    TStringList params;
    params.SetValue("USER NAME", "scott");
    params.SetValue("PASSWORD", "tiger");
    EXPECT_EQ(params.Values("user name"), "scott");
    params.SetValue("USER NAME", "");
    EXPECT_EQ(params.Lines(), QStringList({"PASSWORD=tiger"}));
}

TEST(StringList, ChangeFiresOncePerBatch) {
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.BeginUpdate();
    l.Add("a");
    l.Add("b");
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    l.Add("c");
    EXPECT_EQ(changes, 2);
}

TEST(Component, OwnerDestroysComponentsMostRecentFirst) {
    std::vector<QString> order;
    struct Probe : TComponent {
        Probe(TComponent* o, std::vector<QString>& log, QString n) : TComponent(o), log_(log) { SetName(n); }
        ~Probe() override { log_.push_back(Name()); }
        std::vector<QString>& log_;
    };
    {
        TComponent owner;
        new Probe(&owner, order, "first");
        auto* second = new Probe(&owner, order, "second");
        new Probe(&owner, order, "third");
        EXPECT_EQ(owner.FindComponent("SECOND"), second);
        EXPECT_EQ(owner.ComponentCount(), 3);
    }
    EXPECT_EQ(order, std::vector<QString>({"third", "second", "first"}));
}

}  // namespace
