#include <gtest/gtest.h>

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

}  // namespace
