#include <gtest/gtest.h>

#include "platform/Codepage.h"

using platform::FromCp1250;
using platform::ToCp1250;

TEST(Codepage, PolishLettersAndPunctuationUseTheirWindows1250Bytes) {
    const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    const QByteArray expected("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(ToCp1250(polish), expected);
    EXPECT_EQ(FromCp1250(expected), polish);
    EXPECT_EQ(FromCp1250("\x80\x84\x96\x97\x99\xA0\xFF"), QStringLiteral("€„–—™\u00A0˙"));
}

TEST(Codepage, EveryByteRoundTripsIncludingUndefinedOnes) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = FromCp1250(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1250(text), all);
    EXPECT_EQ(text[0x81], QChar(0x81));
    EXPECT_EQ(text[0x98], QChar(0x98));
}

TEST(Codepage, CharacterOutsideTheCodePageBecomesQuestionMark) {
    EXPECT_EQ(ToCp1250(QStringLiteral("a€ñ中z")), QByteArray("a\x80?"
                                                             "?z"));
    // Latin-1 letters absent from the code page are not passed through as their byte.
    EXPECT_EQ(ToCp1250(QStringLiteral("\u00E0")), QByteArray("?"));
    // A character beyond the 16-bit range is one character, so one "?".
    EXPECT_EQ(ToCp1250(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
}
