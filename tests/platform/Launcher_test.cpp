#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "platform/Launcher.h"
#include "platform/Paths.h"
#include "rtl/Exception.h"

using namespace platform;

namespace {

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCommandRunner([this](const ProcessRequest& r) {
            started.push_back(r);
            return true;
        });
    }
    void TearDown() override { SetCommandRunner(nullptr); }

    std::vector<ProcessRequest> started;
};

}  // namespace

TEST_F(LauncherTest, NotepadOpensTheMappedFileWithXdgOpen) {
    for (const QString& program : {QStringLiteral("NotePad.exe"), QStringLiteral("notepad.EXE"),
                                   QStringLiteral("C:\\Windows\\NOTEPAD.EXE")}) {
        ShellExecute(program, QStringLiteral("C:\\My Exports\\out \"1\".txt"), QString(), SW_SHOWMAXIMIZED);
    }
    // A name in quotes is that name.
    ShellExecute(QStringLiteral("notepad.exe"), QStringLiteral("\"/tmp/a b.txt\""), QString(), SW_SHOW);
    ASSERT_EQ(started.size(), 4u);
    for (const auto& r : started) EXPECT_EQ(r.program, QStringLiteral("xdg-open"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(started[i].arguments,
                  QStringList{MapPath(QStringLiteral("C:\\My Exports\\out \"1\".txt"))});
    EXPECT_EQ(started[3].arguments, QStringList{QStringLiteral("/tmp/a b.txt")});
}

TEST_F(LauncherTest, OtherProgramGetsParamsAsOneArgumentAndMappedFolder) {
    ShellExecute(QStringLiteral("/usr/bin/editor"), QStringLiteral("a b; rm -rf \"x\""),
                 QStringLiteral("C:\\work"), SW_SHOW);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program, QStringLiteral("/usr/bin/editor"));
    EXPECT_EQ(started[0].arguments, QStringList{QStringLiteral("a b; rm -rf \"x\"")});
    EXPECT_EQ(started[0].workingFolder, MapPath(QStringLiteral("C:\\work")));
    ShellExecute(QStringLiteral("C:\\tools\\run.exe"), QString(), QString(), SW_SHOW);
    EXPECT_EQ(started[1].program, MapPath(QStringLiteral("C:\\tools\\run.exe")));
    EXPECT_TRUE(started[1].arguments.isEmpty());
    EXPECT_TRUE(started[1].workingFolder.isEmpty());
}

namespace {

// The message of the error a launch raises, empty when it raised none.
QString launchError(const QString& program, const QString& params) {
    try {
        ShellExecute(program, params, QString(), SW_SHOW);
    } catch (const EInOutError& e) {
        return e.Message();
    }
    return QString();
}

// The real launcher, with a stand-in xdg-open first on the PATH that behaves as told.
class DesktopOpener : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()) + ":" + path);
        doc = dir.filePath("my doc.txt");
        QFile f(doc);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void TearDown() override { qputenv("PATH", path); }
    void opener(const QByteArray& body) const {
        QFile f(dir.filePath("xdg-open"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString ran() const { return dir.filePath("ran"); }

    QTemporaryDir dir;
    QByteArray path;
    QString doc;
};

}  // namespace

TEST_F(LauncherTest, AFailedLaunchNamesTheFileOrProgramAndTheReason) {
    SetCommandRunner([](const ProcessRequest&) -> bool {
        throw EInOutError(QStringLiteral("no program is set up to open files of this kind"));
    });
    EXPECT_EQ(
        launchError(QStringLiteral("NotePad.exe"), QStringLiteral("C:\\50%2 off\\a.txt")),
        QStringLiteral("Cannot open file \"C:\\50%2 off\\a.txt\": no program is set up to open files of "
                       "this kind"));
    SetCommandRunner([](const ProcessRequest&) { return false; });
    EXPECT_EQ(launchError(QStringLiteral("C:\\tools\\run.exe"), QString()),
              QStringLiteral("Cannot start program \"C:\\tools\\run.exe\": it could not be started"));
    // Nothing to open is no launch and no error.
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), QStringLiteral("  ")), QString());
}

TEST_F(DesktopOpener, ItsFailureIsRaisedWithItsReasonAndItsSuccessIsSilent) {
    opener("echo \"xdg-open: no method available for opening '$1'\" >&2\nexit 3\n");
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), doc),
              "Cannot open file \"" + doc +
                  "\": no program is set up to open files of this kind (xdg-open: no method available "
                  "for opening '" +
                  doc + "')");
    opener("exit 4\n");
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), doc),
              "Cannot open file \"" + doc + "\": the program set up to open files of this kind failed");

    opener("echo \"$1\" > \"$(dirname \"$0\")/ran\"\n");
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), doc), QString());
    QFile record(ran());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(record.readAll()).trimmed(), doc);
    record.close();

    // Running the opening program itself, the opener is still busy when the launch
    // returns: that program has the file.
    opener("sleep 20\n");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), doc), QString());
    EXPECT_LT(timer.elapsed(), 10000);

    // A file that is not there never reaches the opener.
    QFile::remove(ran());
    opener("touch \"$(dirname \"$0\")/ran\"\n");
    const QString missing = dir.filePath("missing.txt");
    EXPECT_EQ(launchError(QStringLiteral("NotePad.exe"), missing),
              "Cannot open file \"" + missing + "\": the file does not exist");
    EXPECT_FALSE(QFile::exists(ran()));
}

TEST_F(DesktopOpener, NoOpenerOrAProgramThatCannotStartIsAnError) {
    qputenv("PATH", QFile::encodeName(dir.path()));
    EXPECT_TRUE(launchError(QStringLiteral("NotePad.exe"), doc)
                    .startsWith("Cannot open file \"" + doc + "\": xdg-open cannot be started ("));
    const QString program = dir.filePath("no-such-editor");
    EXPECT_TRUE(launchError(program, doc).startsWith("Cannot start program \"" + program + "\": "));
}
