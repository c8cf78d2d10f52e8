#include <gtest/gtest.h>

#include "TestEnv.h"
#include "tools/CodeChars.h"

namespace {

TEST(CodeChars, CodesToCharactersFieldByField) {
    EXPECT_EQ(CodesToChars("97,"), "a<błąd>");
    EXPECT_EQ(CodesToChars(",97"), "a");
    EXPECT_EQ(CodesToChars(""), "");
    EXPECT_EQ(CodesToChars("97 ,98"), "<błąd>b");
    EXPECT_EQ(CodesToChars("0,256,97"), "a");
    EXPECT_EQ(CodesToChars("321"), "A");
    EXPECT_EQ(CodesToChars("-1"), QString(QChar(0x02D9)));  // Windows-1250 0xFF
}

// A character the code page has no byte for is not taken for "?".
TEST(CodeChars, CharactersOutsideTheCodePageHaveNoCode) {
    EXPECT_EQ(CodeTextOfChars("?"), "63");
    EXPECT_EQ(CodeTextOfChars("ж"), "<błąd>");
    EXPECT_EQ(CharsToCodes("aжb"), "97,<błąd>,98");
}

TEST(ByteRules, LaterRulesSeeTheByteAsEarlierOnesLeftIt) {
    ByteRules rules;
    rules.Add('b', 'a');
    rules.Add('a', 'b');
    EXPECT_EQ(rules.Map('b'), 'b');
    EXPECT_EQ(rules.Map('a'), 'b');
    EXPECT_EQ(rules.Map('x'), 'x');
}

}  // namespace
