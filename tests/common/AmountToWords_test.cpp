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

}  // namespace
