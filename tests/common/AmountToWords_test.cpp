#include <gtest/gtest.h>

#include "TestEnv.h"
#include "common/AmountToWords.h"
#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace {

// Amounts written with a decimal comma, whatever the machine's locale: the C library's
// locale is a comma-decimal one, as QApplication sets it for a Polish user.
class Amounts : public ::testing::Test {
  protected:
    static QString words(const QString& amount) { return AmountToWords(StrToFloat(amount)); }

  private:
    testenv::CLocaleScope polish_{testenv::kCommaLocale};
    testenv::DecimalSeparatorScope comma_{QChar(',')};
};

TEST_F(Amounts, WorkedExamples) {
    EXPECT_EQ(words("0"), "zero złotych zero groszy");
    EXPECT_EQ(words("1"), "jeden złoty zero groszy");
    EXPECT_EQ(words("0,01"), "zero złotych jeden grosz");
    EXPECT_EQ(words("2,5"), "dwa złote pięćdziesiąt groszy");
    EXPECT_EQ(words("12,22"), "dwanaście złotych dwadzieścia dwa grosze");
    EXPECT_EQ(words("113"), "sto trzynaście złotych zero groszy");
    EXPECT_EQ(words("112,05"), "sto dwanaście złotych pięć groszy");
    EXPECT_EQ(words("1012"), "jeden tysiąc dwanaście złotych zero groszy");
    EXPECT_EQ(words("2001,5"), "dwa tysiące jeden złotych pięćdziesiąt groszy");
    EXPECT_EQ(words("21000"), "dwadzieścia jeden tysięcy złotych zero groszy");
    EXPECT_EQ(words("2,125"), "dwa złote dwanaście groszy");
    EXPECT_EQ(words("2,375"), "dwa złote trzydzieści osiem groszy");
    EXPECT_EQ(words("0,999"), "jeden złoty zero groszy");
    EXPECT_EQ(words("999999,99"),
              "dziewięćset dziewięćdziesiąt dziewięć tysięcy dziewięćset dziewięćdziesiąt dziewięć złotych "
              "dziewięćdziesiąt dziewięć groszy");
}

TEST_F(Amounts, FormsOfTheCountsAndNoEmptyWords) {
    EXPECT_EQ(words("12"), "dwanaście złotych zero groszy");
    EXPECT_EQ(words("112"), "sto dwanaście złotych zero groszy");
    EXPECT_EQ(words("12000"), "dwanaście tysięcy złotych zero groszy");
    EXPECT_EQ(words("101000"), "sto jeden tysięcy złotych zero groszy");
    EXPECT_EQ(words("1000"), "jeden tysiąc złotych zero groszy");
    EXPECT_EQ(words("22000"), "dwadzieścia dwa tysiące złotych zero groszy");
    EXPECT_EQ(words("100"), "sto złotych zero groszy");
    EXPECT_EQ(words("20"), "dwadzieścia złotych zero groszy");
    EXPECT_EQ(words("1001"), "jeden tysiąc jeden złotych zero groszy");
    EXPECT_EQ(words("24,24"), "dwadzieścia cztery złote dwadzieścia cztery grosze");
    EXPECT_EQ(words("0,15"), "zero złotych piętnaście groszy");
}

TEST_F(Amounts, NoWordsForASignOrMillions) {
    EXPECT_THROW(words("-1"), EConvertError);
    EXPECT_THROW(words("-0,01"), EConvertError);
    EXPECT_THROW(words("1000000"), EConvertError);
    // The grosze round up into a million.
    EXPECT_THROW(words("999999,999"), EConvertError);
}

// The words of the Part's tables, typed out here once more, and the grammar of the
// counts said the way a speaker says it: "tysiąc" for one thousand only, "tysiące"
// (and "złote", "grosze") after a count ending in 2, 3 or 4 but not in 12, 13 or 14,
// the genitive plural after every other count.
const QStringList kUnits = {"",           "jeden",      "dwa",          "trzy",        "cztery",
                            "pięć",       "sześć",      "siedem",       "osiem",       "dziewięć",
                            "dziesięć",   "jedenaście", "dwanaście",    "trzynaście",  "czternaście",
                            "piętnaście", "szesnaście", "siedemnaście", "osiemnaście", "dziewiętnaście"};
const QStringList kTens = {"",
                           "",
                           "dwadzieścia",
                           "trzydzieści",
                           "czterdzieści",
                           "pięćdziesiąt",
                           "sześćdziesiąt",
                           "siedemdziesiąt",
                           "osiemdziesiąt",
                           "dziewięćdziesiąt"};
const QStringList kHundreds = {"",        "sto",      "dwieście",  "trzysta",  "czterysta",
                               "pięćset", "sześćset", "siedemset", "osiemset", "dziewięćset"};

bool paucal(int n) {
    return n % 10 >= 2 && n % 10 <= 4 && n % 100 / 10 != 1;
}

// The words of 1..999 from the tables, each followed by one blank.
QString spoken(int n) {
    QString out;
    if (n / 100) out += kHundreds[n / 100] + ' ';
    const int rest = n % 100;
    if (rest >= 20) {
        out += kTens[rest / 10] + ' ';
        if (rest % 10) out += kUnits[rest % 10] + ' ';
    } else if (rest) {
        out += kUnits[rest] + ' ';
    }
    return out;
}

QString thousands(int r) {
    return r == 1 ? "tysiąc" : paucal(r) ? "tysiące" : "tysięcy";
}

QString zlote(int n) {
    return n == 1 ? "złoty" : paucal(n) ? "złote" : "złotych";
}

QString grosze(int n) {
    return n == 1 ? "grosz" : paucal(n) ? "grosze" : "groszy";
}

TEST_F(Amounts, EveryCountUpTo999ThousandTakesItsTableWordsAndForm) {
    for (int r = 1; r <= 999; ++r) {
        // The thousands alone, and with each kind of last three digits after them.
        for (const int low : {0, 1, 4, 12, 25, 100, 111, 999}) {
            const int n = r * 1000 + low;
            const QString expected = spoken(r) + thousands(r) + ' ' + spoken(low) + zlote(n) + " zero groszy";
            ASSERT_EQ(AmountToWords(n), expected) << n;
        }
        ASSERT_EQ(AmountToWords(r), spoken(r) + zlote(r) + " zero groszy") << r;
    }
    for (int g = 1; g <= 99; ++g) {
        const long double amount = 7 + g / 100.0L;
        ASSERT_EQ(AmountToWords(amount), "siedem złotych " + spoken(g) + grosze(g)) << g;
    }
}

}  // namespace
