#include <gtest/gtest.h>

#include <cmath>

#include "TestEnv.h"

#include "rtl/Exception.h"
#include "rtl/SysUtils.h"

namespace {

TEST(StrToInt, AcceptsSignedDecimalsAndUnsignedHexPrefixes) {
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("0X41"), 65);
    EXPECT_EQ(StrToInt("$41"), 65);
}

TEST(StrToInt, RejectsEverythingElse) {
    for (const char* bad :
         {"", " ", "97 ", "2147483648", "-2147483649", "$100000000", "-$1", "1.5", "$", "0x", "abc"}) {
        int32_t v = 0;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    }
}

TEST(Strings, TrimAndCaseWorkOnTheClassicRanges) {
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(UpperCase("select żółw"), "SELECT żółW") << "only a..z are upper-cased";
    EXPECT_EQ(IntToHex(255, 10), "00000000FF");
    EXPECT_EQ(IntToHex(-1, 10), "00FFFFFFFF");
}

TEST(Floats, UseTheRegionalDecimalSeparator) {
    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(2.5), "2,5");
    EXPECT_EQ(double(StrToFloat("2,5")), 2.5);
    EXPECT_THROW(StrToFloat("2.5"), EConvertError);
    SetDecimalSeparator('.');
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
}

// Under a comma-decimal C locale (what QApplication sets for a Polish user) every
// conversion still follows the program's own separator alone.
TEST(Floats, ConversionsIgnoreTheCLibrarysLocale) {
    testenv::CLocaleScope polish(testenv::kCommaLocale);
    testenv::DecimalSeparatorScope point('.');
    EXPECT_EQ(double(StrToFloat("2.5")), 2.5);
    EXPECT_EQ(double(StrToFloat("-0.01")), -0.01);
    EXPECT_EQ(double(StrToFloat("+1.5E3")), 1500.0);
    EXPECT_THROW(StrToFloat("2,5"), EConvertError);
    EXPECT_EQ(FloatToStr(25810.6), "25810.6");
    SetDecimalSeparator(',');
    EXPECT_EQ(double(StrToFloat("2,5")), 2.5);
    EXPECT_EQ(double(StrToFloat(" -0,01 ")), -0.01);
    EXPECT_THROW(StrToFloat("2.5"), EConvertError);
    EXPECT_THROW(StrToFloat("1E99999"), EConvertError);  // beyond the range: no value either
    EXPECT_EQ(FloatToStr(0.1), "0,1");
}

TEST(Floats, StoredNumbersReadTheSameInEveryLocale) {
    for (const char* locale : {"C", testenv::kCommaLocale}) {
        testenv::CLocaleScope scope(locale);
        EXPECT_EQ(CStrToDouble("25810.60"), 25810.6) << locale;
        EXPECT_EQ(CStrToDouble(" +12.25"), 12.25) << locale;  // strtod's own spellings too
        EXPECT_EQ(CStrToDouble("-1.5e-3"), -0.0015) << locale;
        EXPECT_EQ(CStrToDouble("0,5"), 0.0) << locale;  // the longest number at the start
        EXPECT_TRUE(std::isinf(CStrToDouble("Infinity"))) << locale;
        EXPECT_EQ(CStrToDouble("x"), 0.0) << locale;
    }
}

TEST(Floats, SeparatorsComeInPairsFromTheRegionalSettings) {
    QChar decimal;
    QChar thousand;
    ASSERT_TRUE(SeparatorsOfLocale(testenv::kCommaLocale, decimal, thousand));
    EXPECT_EQ(decimal, QChar(','));
    EXPECT_EQ(thousand, QChar(0xA0));  // every kind of blank groups as the no-break space
    ASSERT_TRUE(SeparatorsOfLocale("C", decimal, thousand));
    EXPECT_EQ(decimal, QChar('.'));
    EXPECT_EQ(thousand, QChar(','));  // no grouping of its own: the one that is no point
    EXPECT_FALSE(SeparatorsOfLocale("xx_NOWHERE.UTF-8", decimal, thousand));
}

}  // namespace
