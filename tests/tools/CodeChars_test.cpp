#include <gtest/gtest.h>

#include "TestEnv.h"
#include "tools/CodeChars.h"

namespace {

const QString kByte255 = QString(QChar(0x02D9));  // Windows-1250 0xFF

TEST(CodeChars, CodeFieldGivesTheCharacterOfItsByteOrTheMarker) {
    EXPECT_EQ(CharOfCodeText("185"), "ą");
    EXPECT_EQ(CharOfCodeText("65"), "A");
    EXPECT_EQ(CharOfCodeText("  65"), "A");
    EXPECT_EQ(CharOfCodeText("$41"), "A");
    EXPECT_EQ(CharOfCodeText("0x41"), "A");
    EXPECT_EQ(CharOfCodeText("255"), kByte255);
    EXPECT_EQ(CharOfCodeText("-1"), kByte255);
    EXPECT_EQ(CharOfCodeText("256"), "<błąd>");
    EXPECT_EQ(CharOfCodeText("abc"), "<błąd>");
    EXPECT_EQ(CharOfCodeText(""), "<błąd>");
    EXPECT_EQ(CharOfCodeText("65 "), "<błąd>");
    // An edit cannot hold the character 0.
    EXPECT_EQ(CharOfCodeText("0"), "");
}

TEST(CodeChars, CharacterFieldGivesTheCodeOfItsFirstCharacter) {
    EXPECT_EQ(CodeTextOfChars("ą"), "185");
    EXPECT_EQ(CodeTextOfChars("a"), "97");
    EXPECT_EQ(CodeTextOfChars("?"), "63");
    EXPECT_EQ(CodeTextOfChars(""), "<błąd>");
    // A character the code page has no byte for is not "?".
    EXPECT_EQ(CodeTextOfChars("ж"), "<błąd>");
}

TEST(CodeChars, CharactersAndCodesBothWays) {
    EXPECT_EQ(CharsToCodes("abc"), "97,98,99");
    EXPECT_EQ(CharsToCodes(""), "");
    EXPECT_EQ(CharsToCodes("ąŁ"), "185,163");
    EXPECT_EQ(CharsToCodes("aжb"), "97,<błąd>,98");

    EXPECT_EQ(CodesToChars("97,98,99"), "abc");
    EXPECT_EQ(CodesToChars("97,,98"), "a<błąd>b");
    EXPECT_EQ(CodesToChars("97,"), "a<błąd>");
    EXPECT_EQ(CodesToChars(",97"), "a");
    EXPECT_EQ(CodesToChars(""), "");
    EXPECT_EQ(CodesToChars("97, 98"), "ab");
    EXPECT_EQ(CodesToChars("97 ,98"), "<błąd>b");
    EXPECT_EQ(CodesToChars("0,256,97"), "a");
    EXPECT_EQ(CodesToChars("321"), "A");
    EXPECT_EQ(CodesToChars("-1"), kByte255);
    EXPECT_EQ(CodesToChars("$41,x42"), "AB");
}

TEST(ByteRules, RulesChainInTheirOrder) {
    ByteRules forward;
    forward.Add('a', 'b');
    forward.Add('b', 'c');
    EXPECT_EQ(forward.Map('a'), 'c');
    EXPECT_EQ(forward.Map('b'), 'c');
    EXPECT_EQ(forward.Map('c'), 'c');

    ByteRules backward;
    backward.Add('b', 'a');
    backward.Add('a', 'b');
    EXPECT_EQ(backward.Map('b'), 'b');
    EXPECT_EQ(backward.Map('a'), 'b');
    EXPECT_EQ(backward.Map('x'), 'x');

    ByteRules none;
    EXPECT_TRUE(none.Empty());
    QByteArray all(256, 0);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    QByteArray copy = all;
    none.Apply(copy.data(), copy.size());
    EXPECT_EQ(copy, all);
}

}  // namespace
