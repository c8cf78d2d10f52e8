#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "rtl/SysUtils.h"
#include "support/TestEnv.h"

using dbtest::Backend;
using dbtest::Scratch;

namespace {

// Field values under a comma-decimal C locale (what QApplication sets for a Polish user):
// the database's text is read, and typed text written, by the program's rules alone.
class NumbersInLocale : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        s = std::make_unique<Scratch>(GetParam());
        s->exec("CREATE TABLE V (ID INTEGER, F DOUBLE PRECISION, N NUMERIC(12,2))");
        s->exec("INSERT INTO V VALUES (1, 0.5, 25810.60)");
    }
    std::unique_ptr<Scratch> s;
    testenv::CLocaleScope polish{testenv::kCommaLocale};
};

TEST_P(NumbersInLocale, StoredNumbersKeepTheirFractionAndTypedOnesAreStoredWhole) {
    TQuery* q = s->query("SELECT * FROM V", true);
    q->Open();
    EXPECT_EQ(q->FieldByName("N")->Value().toDouble(), 25810.6);
    EXPECT_EQ(q->FieldByName("F")->Value().toDouble(), 0.5);
    EXPECT_EQ(q->FieldByName("F")->AsString(), "0.5");
    {
        testenv::DecimalSeparatorScope comma(',');
        // SQLite keeps the value as a double, PostgreSQL with its scale.
        EXPECT_TRUE(q->FieldByName("N")->AsString().startsWith("25810,6"))
            << q->FieldByName("N")->AsString().toStdString();
        q->Edit();
        q->FieldByName("F")->SetAsString("2,25");
        q->FieldByName("N")->SetAsString("-0,01");
        q->Post();
    }
    EXPECT_EQ(s->scalar("SELECT COUNT(*) FROM V WHERE F = 2.25 AND N = -0.01"), "1");
}

INSTANTIATE_TEST_SUITE_P(Backends, NumbersInLocale, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testenv::ParamName);

}  // namespace
