#include <gtest/gtest.h>

#include "framework/rtl/Classes.h"

TEST(CommaText, WritesQuotedItemsOnlyWhenNeeded) {
    TStringList l;
    l.Add("a");
    l.Add("b c");
    l.Add("");
    l.Add("x\"y");
    EXPECT_EQ(l.CommaText(), QString("a,\"b c\",,\"x\"\"y\""));
}
