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

// The code fields and the code list at every limit of their range: the converter's
// fields refuse numbers above 255 and take the low byte of the rest; the code list takes
// the low byte of any number; hexadecimal forms count as two's complement.
TEST(CodeChars, CodesAtTheLimitsOfTheirRanges) {
    const QString ff = QString(QChar(0x02D9));   // byte 255 in Windows-1250
    const QString fe = QString(QChar(0x0163));   // 254
    const QString one = QString(QChar(0x0001));  // 1
    struct Case {
        const char* code;
        QString field;  // what the converter's partner field shows
        QString list;   // what the code list gives for the code alone
    };
    const Case cases[] = {
        {"0", "", ""},
        {"1", one, one},
        {"254", fe, fe},
        {"255", ff, ff},
        {"256", kBadValue, ""},
        {"257", kBadValue, one},
        {"511", kBadValue, ff},
        {"-1", ff, ff},
        {"-2", fe, fe},
        {"-255", one, one},
        {"-256", "", ""},
        {"-257", ff, ff},
        {"+255", ff, ff},
        {" 65", "A", "A"},
        {"65 ", kBadValue, kBadValue},
        {"$FF", ff, ff},
        {"$ff", ff, ff},
        {"0xFE", fe, fe},
        {"0X01", one, one},
        {"x100", kBadValue, ""},
        {"$FFFFFFFF", ff, ff},
        {"$FFFFFF00", "", ""},
        {"$100000000", kBadValue, kBadValue},
        {"-$1", kBadValue, kBadValue},
        {"2147483647", kBadValue, ff},
        {"2147483648", kBadValue, kBadValue},
        {"-2147483648", "", ""},
        {"-2147483649", kBadValue, kBadValue},
        {"", kBadValue, kBadValue},
        {"$", kBadValue, kBadValue},
        {"1e2", kBadValue, kBadValue},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CharOfCodeText(c.code), c.field) << c.code;
        // An empty field alone is no field at all; in a list it is one bad field.
        if (QString(c.code).isEmpty()) continue;
        EXPECT_EQ(CodesToChars(c.code), c.list) << c.code;
        EXPECT_EQ(CodesToChars(QString("65,") + c.code + ",66"), "A" + c.list + "B") << c.code;
    }
    // Every byte there and back: codes 1..255 to their character and back to the code.
    for (int code = 1; code <= 255; ++code) {
        const QString c = CharOfCodeText(QString::number(code));
        ASSERT_EQ(c.size(), 1) << code;
        EXPECT_EQ(CodeTextOfChars(c), QString::number(code));
        EXPECT_EQ(CharsToCodes(c + c), QString::number(code) + ',' + QString::number(code));
        EXPECT_EQ(CodesToChars(QString::number(code)), c);
    }
}

}  // namespace
