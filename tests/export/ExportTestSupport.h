#pragma once

#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include <gtest/gtest.h>

#include "ScratchAlias.h"
#include "TestEnv.h"
#include "db/Query.h"
#include "export/ExportConfiguration.h"
#include "framework/Application.h"

class TDatabase;
class TDataSource;
class TDBGrid;
class TWinControl;
class QWidget;

// A query on database "X" (an SQLite file in the test's folder, or a schema of its own
// on the throwaway PostgreSQL server) shown in a data grid, as the main window's result
// grid shows its query, and the export window created after a main window.
namespace exporttest {

using Backend = testenv::Backend;
using testenv::ParamName;

class Source {
  public:
    explicit Source(Backend backend = Backend::Sqlite);
    ~Source();

    void exec(const QString& sql);
    // Replaces the query's text and opens it; the grid's columns follow.
    void open(const QString& sql);
    TQuery* query() const { return query_; }
    TDBGrid* grid() const { return grid_; }
    TApplication& app() { return *app_; }

  private:
    testenv::ScratchAlias alias_;
    std::unique_ptr<TApplication> app_;
    TDatabase* db_ = nullptr;
    TQuery* query_ = nullptr;
    TDataSource* source_ = nullptr;
    TDBGrid* grid_ = nullptr;
};

// A test over both backends with a source and a window of type F made in its
// application, destroyed at the end.
template <class F>
class WindowTest : public ::testing::TestWithParam<Backend> {
  protected:
    WindowTest() : src(GetParam()), form(src.app().CreateForm<F>()) {}

    Source src;
    std::unique_ptr<F> form;
};

// Bytes of a file named in Windows or local form.
QByteArray FileBytes(const QString& fileName);
bool FileExists(const QString& fileName);
// Text as Windows-1250 bytes, for expected file contents.
QByteArray Cp(const QString& text);

// Esc typed into `editor`, the edit widget of `control`, which gets the focus first as
// the user's click would give it.
void PressEscape(TWinControl* control, QWidget* editor);

// Saves a configuration exporting `columns` (the rows below the header) as INSERT
// statements into `table`, written to `output`: no line breaks, NULL for an empty value,
// no CREATE TABLE, nothing run after.
void SaveInsertConfiguration(const QString& fileName, const QString& output, const QString& table,
                             const std::vector<ExportConfiguration::Row>& columns);

// The cursor shown each time `widget` was painted (the arrow when none was set).
struct CursorAtPaint : QObject {
    explicit CursorAtPaint(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            const QCursor* c = QGuiApplication::overrideCursor();
            shapes << (c != nullptr ? c->shape() : Qt::ArrowCursor);
        }
        return false;
    }
    QList<Qt::CursorShape> shapes;
};

// On PostgreSQL: a low-privilege role, a function of its owner that makes the role
// superuser when someone privileged runs it, the table t of one row, and a table whose
// name reads like a condition calling that function on t, of two rows (1 and 2).
class HostileName {
  public:
    explicit HostileName(Source& src);
    ~HostileName();
    HostileName(const HostileName&) = delete;
    HostileName& operator=(const HostileName&) = delete;
    bool roleIsSuperuser();
    const QString name = QStringLiteral("t where evil() is not null");

  private:
    Source& src_;
    QString role_;
};

}  // namespace exporttest
