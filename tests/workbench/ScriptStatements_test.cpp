#include <gtest/gtest.h>

#include "TestEnv.h"
#include "workbench/ScriptStatements.h"

using script::LineRole;
using script::RoleOf;

namespace {

TEST(ScriptStatements, LineRoles) {
    for (const char* skipped :
         {"REM", "rem x", "Remarks", "PROMPT", "promptly", ";", "; select 1;", "//", "// x;", "--", "-- x;"})
        EXPECT_EQ(RoleOf(skipped), LineRole::Skipped) << skipped;
    for (const char* part : {"", " REM", "  ", "RE", "PROMP", "/", "/ 2", "-", "- 1", "select 1; ", "x;\t"})
        EXPECT_EQ(RoleOf(part), LineRole::Part) << part;
    for (const char* end : {"x;", " ;", "a;;"}) EXPECT_EQ(RoleOf(end), LineRole::End) << end;
}

// Records the statements it is given; fails those listed.
struct Recorder {
    QStringList failing;
    QList<QStringList> executed;
    QList<int> firstLines;
    script::ExecuteCollected fn() {
        return [this](QStringList& buffer, int firstLine) {
            if (buffer.isEmpty()) return true;
            executed.append(buffer);
            firstLines.append(firstLine);
            const bool failed = failing.contains(buffer.join("|"));
            buffer.clear();
            return failed;
        };
    }
};

TEST(ScriptStatements, StatementsAndTheRestAfterTheLastEnd) {
    Recorder r;
    EXPECT_FALSE(script::RunStatements({"a", "REM x", "b;", ";", "c;;", "", "d"}, true, r.fn()));
    EXPECT_EQ(r.executed, (QList<QStringList>{{"a", "b"}, {"c;"}, {"", "d"}}));
    EXPECT_EQ(r.firstLines, (QList<int>{1, 5, 6}));

    Recorder empty;
    EXPECT_FALSE(script::RunStatements({}, true, empty.fn()));
    EXPECT_TRUE(empty.executed.isEmpty());
}

TEST(ScriptStatements, StopOnErrorStopsAfterTheFirstFailingEndedStatement) {
    Recorder on;
    on.failing = {"b"};
    EXPECT_TRUE(script::RunStatements({"a;", "b;", "c;", "d"}, true, on.fn()));
    EXPECT_EQ(on.executed, (QList<QStringList>{{"a"}, {"b"}}));

    Recorder off;
    off.failing = {"b"};
    EXPECT_FALSE(script::RunStatements({"a;", "b;", "c;", "d"}, false, off.fn()));
    EXPECT_EQ(off.executed.size(), 4);

    // The last ended statement decides; the rest after it never stops the run.
    Recorder lastOk;
    lastOk.failing = {"a", "d"};
    EXPECT_FALSE(script::RunStatements({"a;", "b;", "d"}, false, lastOk.fn()));
    Recorder tail;
    tail.failing = {"d"};
    EXPECT_FALSE(script::RunStatements({"a;", "d"}, true, tail.fn()));
}

TEST(ScriptStatements, CommaForm) {
    EXPECT_EQ(script::CommaForm({"COMMIT"}), "COMMIT");
    EXPECT_EQ(script::CommaForm({"select *", "from t"}), "\"select *\",\"from t\"");
    EXPECT_EQ(script::CommaForm({"a,b", "say \"hi\"", "x\ty", "plain"}),
              "\"a,b\",\"say \"\"hi\"\"\",\"x\ty\",plain");
    EXPECT_EQ(script::CommaForm({""}), "\"\"");
    EXPECT_EQ(script::CommaForm({"", ""}), ",");
}

}  // namespace
