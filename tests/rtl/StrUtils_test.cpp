#include <gtest/gtest.h>

#include "TestEnv.h"
#include "rtl/StrUtils.h"

TEST(StrUtils, ReplaceStrReplacesEveryOccurrenceOnceWithLetterCaseCounting) {
    EXPECT_EQ(ReplaceStr("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceStr("aAa", "A", "x"), "axa");
    EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceStr("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(ReplaceStr("a;b;", ";", ""), "ab");
}

TEST(StrUtils, NumeralsAndRuns) {
    EXPECT_EQ(IntToRoman(1994), "MCMXCIV");
    EXPECT_EQ(IntToRoman(4000), "MMMM");
    EXPECT_EQ(IntToRoman(3999), "MMMCMXCIX");
    EXPECT_EQ(IntToRoman(444), "CDXLIV");
    EXPECT_EQ(IntToRoman(0), "");
    EXPECT_EQ(IntToRoman(-7), "");
    EXPECT_EQ(Dec2Hex(255, 10), "00000000FF");
    EXPECT_EQ(Dec2Hex(-1, 10), "00FFFFFFFF");
    EXPECT_EQ(Dec2Hex(0x1F, 10), "000000001F");
    EXPECT_EQ(MakeStr(' ', 3), "   ");
    EXPECT_EQ(MakeStr('x', 0), "");
}
