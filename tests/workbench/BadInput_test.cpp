// Damaged, truncated, huge and wrongly encoded files of every format the program reads,
// each taken in through the program's own entry points: the program reports them (or
// reads what it can), never crashes or hangs, and never leaves a file of its own cut.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "WorkbenchFixture.h"
#include "db/Aliases.h"
#include "export/Eksport.h"
#include "framework/StdCtrls.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "rtl/Exception.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

struct Input {
    QString name;
    QByteArray bytes;
};

// Each stored file as it is and in the ways files get damaged.
std::vector<Input> inputs(const QString& format) {
    const QDir dir(QStringLiteral(ZV_SOURCE_DIR "/tests/corpus/") + format);
    std::vector<Input> out;
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = f.readAll();
        const QString text = platform::FromCp1250(bytes);
        QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QByteArray withNul = bytes;
        withNul.insert(withNul.size() / 3, QByteArray("\0\0", 2));
        QByteArray huge = bytes;
        while (huge.size() < (1 << 20)) huge += bytes + "\r\n";
        huge += QByteArray(1 << 20, 'x') + "\r\n";
        out.push_back({file, bytes});
        out.push_back({file + " truncated", bytes.left(bytes.size() / 2)});
        out.push_back({file + " as UTF-16", "\xFF\xFE" + utf16});
        out.push_back({file + " as UTF-8", text.toUtf8()});
        out.push_back({file + " with NUL bytes", withNul});
        out.push_back({file + " over 1 MB", huge});
    }
    EXPECT_FALSE(out.empty()) << "no corpus for " << format.toStdString();
    return out;
}

// What a program start and end does with the settings hives: the values the windows
// need are read or reported, and every key the file held is still in it afterwards.
TEST(BadInput, SettingsHives) {
    for (const Input& input : inputs("hive")) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::Dialogs().clear();
        const QString user = platform::HiveFileName(platform::RootKey::CurrentUser);
        testenv::WriteFile(user, input.bytes);
        {
            Workbench wb(Backend::Sqlite);
            wb.show();
            wb.main()->Close();
        }
        const platform::RegistryHive before =
            platform::RegistryHive::Parse(platform::FromCp1250(input.bytes));
        const platform::RegistryHive after =
            platform::RegistryHive::Parse(platform::FromCp1250(testenv::ReadFile(user)));
        for (const QString& line : platform::FromCp1250(input.bytes).split('\n')) {
            const QString t = line.trimmed();
            if (t.startsWith('[') && t.endsWith(']') && !t.startsWith("[-") &&
                before.HasKey(t.mid(1, t.size() - 2))) {
                EXPECT_TRUE(after.HasKey(t.mid(1, t.size() - 2))) << "lost key " << t.toStdString();
            }
        }
    }
}

// The alias file is the user's: refused with a message naming it, never rewritten.
TEST(BadInput, AliasFiles) {
    for (const Input& input : inputs("aliases")) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::Dialogs().clear();
        Workbench wb(Backend::Sqlite);
        testenv::WriteFile(AliasFilePath(), input.bytes);
        wb.show();
        bool listed = false;
        try {
            listed = !ReadAliases().empty();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(AliasFilePath())) << e.Message().toStdString();
        }
        if (!listed) {
            EXPECT_EQ(wb.main()->DatabaseName->Items().Count(), 0);
        }
        EXPECT_EQ(testenv::ReadFile(AliasFilePath()), input.bytes);
    }
}

// The unattended export with a damaged configuration: read as far as it goes or
// reported, and left as it was.
TEST(BadInput, ExportConfigurations) {
    Workbench wb(Backend::Sqlite);
    wb.app().CreateForm<TFEksport>();
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.seed("INSERT INTO t VALUES (1)");
    wb.connect();
    const QString cfg = testenv::Root() + "/bad.cfg";
    for (const Input& input : inputs("exportconfig")) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::WriteFile(cfg, input.bytes);
        ExportRunning = false;
        wb.main()->ProcessCommandLine({"EXPORT=select id from t;" + cfg});
        EXPECT_EQ(testenv::ReadFile(cfg), input.bytes);
        FEksport->Close();
    }
}

// Scripts opened in the editor and run: every statement either runs whole or gets its
// error entry; the run always ends with its closing box.
TEST(BadInput, Scripts) {
    Workbench wb(Backend::Sqlite);
    wb.seed("CREATE TABLE t (id INTEGER)");
    wb.connect();
    const QString file = testenv::Root() + "/bad.sql";
    for (const Input& input : inputs("script")) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::Dialogs().clear();
        testenv::WriteFile(file, input.bytes);
        wb.main()->EScript->Lines().Clear();
        testenv::Dialogs().fileAnswers = {file};
        testenv::Dialogs().answers = {platform::IDNO};  // do not save the previous script
        wb.main()->BloadClick(nullptr);
        wb.main()->ChStopOnError->SetChecked(false);
        wb.main()->BExecSQLClick(nullptr);
        ASSERT_FALSE(testenv::Dialogs().boxes.empty());
        EXPECT_EQ(testenv::Dialogs().boxTexts().last(), "Executing of the script is over");
        EXPECT_EQ(testenv::ReadFile(file), input.bytes);
    }
}

}  // namespace
