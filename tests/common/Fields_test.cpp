#include <gtest/gtest.h>

#include "common/Fields.h"

namespace {

const TCharSet kComma{QChar(',')};

// The fields as ExtractField gives them for N = 1 .. FieldCount, joined with "|".
QString fields(const QString& s, const TCharSet& delims = kComma) {
    QStringList out;
    for (int n = 1; n <= FieldCount(s, delims); ++n) out << ExtractField(n, s, delims);
    return out.join(QChar('|'));
}

}  // namespace

TEST(Fields, WorkedExamples) {
    struct Case {
        const char* text;
        int count;
        const char* fields;
    };
    const Case cases[] = {
        {"", 0, ""},      {"abc", 1, "abc"}, {"1,,3", 3, "1||3"}, {"a,b,", 3, "a|b|"}, {",a", 1, "a"},
        {",,a", 2, "|a"}, {",", 1, ""},      {",,", 2, "|"},      {"a,,", 3, "a||"},   {" a, b", 2, " a| b"},
    };
    for (const Case& c : cases) {
        const QString s = QString::fromLatin1(c.text);
        EXPECT_EQ(FieldCount(s, kComma), c.count) << c.text;
        EXPECT_EQ(fields(s), QString::fromLatin1(c.fields)) << c.text;
    }
}

TEST(Fields, PositionsAndOutOfRangeFields) {
    EXPECT_EQ(FieldPosition(1, QStringLiteral("ab,cd"), kComma), 1);
    EXPECT_EQ(FieldPosition(2, QStringLiteral("ab,cd"), kComma), 4);
    EXPECT_EQ(FieldPosition(2, QStringLiteral("1,,3"), kComma), 3);  // the delimiter ending the empty field
    EXPECT_EQ(FieldPosition(1, QStringLiteral(",a"), kComma), 2);
    EXPECT_EQ(FieldPosition(3, QStringLiteral("a,b,"), kComma), 0);  // the empty field a final delimiter adds
    for (int n : {0, -1, 4}) {
        EXPECT_EQ(FieldPosition(n, QStringLiteral("1,,3"), kComma), 0) << n;
        EXPECT_EQ(ExtractField(n, QStringLiteral("1,,3"), kComma), QString()) << n;
    }
}

TEST(Fields, SeveralDelimitersAndNonAsciiCharacters) {
    const TCharSet delims{QChar(';'), QChar(u'ł'), QChar('\t')};
    EXPECT_EQ(fields(QStringLiteral("a;błc\td"), delims), QStringLiteral("a|b|c|d"));
    EXPECT_EQ(FieldCount(QStringLiteral("a;\tb"), delims), 3);
    EXPECT_EQ(FieldCount(QStringLiteral("abc"), TCharSet{}), 1);
}

TEST(Fields, TextsLongerThan65535Characters) {
    const QString s = QString(70000, QChar('x')) + QStringLiteral(",tail");
    EXPECT_EQ(FieldCount(s, kComma), 2);
    EXPECT_EQ(ExtractField(2, s, kComma), QStringLiteral("tail"));
    EXPECT_EQ(FieldPosition(2, s, kComma), 70002);
}
