// Damaged, truncated, huge and wrongly encoded files of every format the program reads,
// each taken in through the program's own entry points: the program reports them (or
// reads what it can), never crashes or hangs, and never leaves a file of its own cut.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <functional>

#include "WorkbenchFixture.h"
#include "common/Info.h"
#include "db/Aliases.h"
#include "export/Eksport.h"
#include "framework/StdCtrls.h"
#include "platform/Codepage.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "rtl/Exception.h"
#include "tools/Konwerter.h"

using wbtest::Backend;
using wbtest::Workbench;

namespace {

struct Input {
    QString name;
    QByteArray bytes;
};

// Each stored file as it is and in the ways files get damaged or grow: cut short, in
// another encoding, with NUL bytes, past 1 MB, with one line of 1 MB, with 100,000 more
// entries of its kind (`entry` gives entry i), and bytes at random. Each runs end to end
// through the program; the test's time limit fails one that does not end.
std::vector<Input> inputs(const QString& format, const std::function<QByteArray(int)>& entry) {
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
        QByteArray longLine = bytes;
        const qsizetype firstBreak = std::max<qsizetype>(0, longLine.indexOf('\n'));
        longLine.insert(firstBreak, QByteArray(1 << 20, 'y'));
        QByteArray many = bytes;
        for (int i = 0; i < 100000; ++i) many += entry(i);
        out.push_back({file, bytes});
        out.push_back({file + " truncated", bytes.left(bytes.size() / 2)});
        out.push_back({file + " as UTF-16", "\xFF\xFE" + utf16});
        out.push_back({file + " as UTF-8", text.toUtf8()});
        out.push_back({file + " with NUL bytes", withNul});
        out.push_back({file + " over 1 MB", huge});
        out.push_back({file + " with a line of 1 MB", longLine});
        out.push_back({file + " with 100,000 entries", many});
    }
    EXPECT_FALSE(out.empty()) << "no corpus for " << format.toStdString();
    // Bytes at random, plain and broken into lines.
    QRandomGenerator random(20021109);
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    for (char& c : noise) c = static_cast<char>(random.bounded(256));
    QByteArray lines = noise;
    for (qsizetype i = 0; i < lines.size(); i += 1 + random.bounded(80)) lines[i] = '\n';
    out.push_back({format + " random bytes", noise});
    out.push_back({format + " random bytes in lines", lines});
    return out;
}

// What a program start and end does with the settings hives: the values the windows
// need are read or reported, and every key the file held is still in it afterwards.
TEST(BadInput, SettingsHives) {
    const auto key = [](int i) {
        return "[HKEY_CURRENT_USER\\Software\\Other\\Key" + QByteArray::number(i) + "]\r\n\"Name\"=\"v" +
               QByteArray::number(i) + "\"\r\n\"Size\"=dword:0000002a\r\n\r\n";
    };
    for (const Input& input : inputs("hive", key)) {
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
    const auto alias = [](int i) {
        return "[A" + QByteArray::number(i) + "]\r\nTYPE=SQLITE\r\nPATH=c:\\db" + QByteArray::number(i) +
               "\r\n";
    };
    for (const Input& input : inputs("aliases", alias)) {
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
    const auto row = [](int i) { return "C" + QByteArray::number(i) + "\r\nVARCHAR2\r\n10\r\n\r\nN\r\n"; };
    for (const Input& input : inputs("exportconfig", row)) {
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
    const auto statement = [](int i) {
        return i % 2 ? QByteArray("-- note\r\n")
                     : "SELECT COUNT(*) FROM t WHERE id = " + QByteArray::number(i) + ";\r\n";
    };
    for (const Input& input : inputs("script", statement)) {
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

// The about box's window settings file: applied as far as it is right (a damaged one is
// reported), and at the close replaced by a sound one.
TEST(BadInput, WindowSettingsFiles) {
    Workbench wb(Backend::Sqlite);
    auto* info = wb.app().CreateForm<TFInfo>();
    const QString file = platform::MapPath(info->ConfigFileName(QStringLiteral("cfg")));
    delete info;
    const auto record = [](int i) { return "TLabel\r\nL" + QByteArray::number(i) + "\r\ntext\r\n"; };
    for (const Input& input : inputs("formconfig", record)) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::Dialogs().clear();
        testenv::WriteFile(file, input.bytes);
        info = wb.app().CreateForm<TFInfo>();
        info->Show();
        info->Close();
        const QByteArray after = testenv::ReadFile(file);
        EXPECT_TRUE(after.startsWith("ws") && after.contains("\r\nLProgram\r\n") && after.endsWith("\r\n"))
            << after.left(200).toStdString();
        delete info;
    }
}

// The converter's settings file: the stored fields read as far as they go, and the
// sections of other programs kept when the window saves its own.
TEST(BadInput, ConverterSettingsFiles) {
    Workbench wb(Backend::Sqlite);
    const QString file = platform::IniFilePath(QStringLiteral("Konwerter"));
    const auto section = [](int i) { return "[Section" + QByteArray::number(i) + "]\r\nkey=value\r\n"; };
    for (const Input& input : inputs("konwerter", section)) {
        SCOPED_TRACE(input.name.toStdString());
        testenv::Dialogs().clear();
        testenv::WriteFile(file, input.bytes);
        auto* converter = wb.app().CreateForm<TFKonwerter>();
        converter->Show();
        converter->Close();
        delete converter;
        const QByteArray after = testenv::ReadFile(file);
        for (const QByteArray& line : input.bytes.split('\n')) {
            const QByteArray t = line.trimmed();
            if (t.startsWith("[Other") || t.startsWith("[Section9999")) {
                EXPECT_TRUE(after.contains(t)) << "lost " << t.toStdString();
            }
        }
    }
}

}  // namespace
