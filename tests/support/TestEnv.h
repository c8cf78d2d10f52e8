#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

#include "seam/DialogSeam.h"

// Every test runs in a fresh temporary folder: HOME, XDG_CONFIG_HOME and
// XDG_DATA_HOME point into it and it is the working folder. Every modal box and
// dialog is answered by a ScriptedDialogs that the test can script.
namespace testenv {

// The temporary folder of the running test (no final slash).
QString Root();
// The scripted dialogs of the running test.
platform::ScriptedDialogs& Dialogs();
// Writes a file (bytes as given) relative to Root() unless absolute; creates folders.
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// libpq connection string of the throwaway PostgreSQL server that ./test.sh starts
// (ZV_TEST_PG). Empty when none runs: PostgreSQL tests then fail, never skip.
QString PostgresConnectionString();
// Runs one statement on an administrative session of that server; a failure fails the test.
void PostgresAdmin(const QString& sql);

// Numbers are written with `separator` while the object lives; the separator before is
// put back when it goes, also when a failed assertion leaves the test early.
class DecimalSeparatorScope {
  public:
    explicit DecimalSeparatorScope(QChar separator);
    ~DecimalSeparatorScope();
    DecimalSeparatorScope(const DecimalSeparatorScope&) = delete;
    DecimalSeparatorScope& operator=(const DecimalSeparatorScope&) = delete;

  private:
    QChar saved_;
};

// The C library's locale (what QApplication sets from the environment) is `locale` while
// the object lives, so that a conversion leaning on it fails whatever locale the suite
// runs under; a missing locale fails the test. The locale before is put back.
class CLocaleScope {
  public:
    explicit CLocaleScope(const char* locale);
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    QByteArray saved_;
};

// The system's reason for a full disk, in the language of the locale the suite runs under.
QString NoSpaceReason();
// The reason a Qt file device gives for the system's error `code` (English for the common
// ones, the C library's text in the user's language for the others).
QString FileDeviceReason(int code);

// The comma-decimal locale of the program's home users.
inline constexpr const char* kCommaLocale = "pl_PL.UTF-8";

}  // namespace testenv

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i) *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << ']';
}
