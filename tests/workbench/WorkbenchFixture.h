#pragma once

#include <gtest/gtest.h>
#include <QString>
#include <memory>

#include "ScratchAlias.h"
#include "TestEnv.h"
#include "framework/Application.h"
#include "workbench/MainWindow.h"

// A main window whose alias list holds "TEST": a fresh SQLite file in the test's folder
// or a schema of its own on the throwaway PostgreSQL server.
namespace wbtest {

using Backend = testenv::Backend;
using testenv::BackendName;
using testenv::ParamName;

class Workbench {
  public:
    explicit Workbench(Backend backend);
    ~Workbench();

    Backend backend() const { return alias_.backend(); }
    TApplication& app() { return *app_; }
    TFMain* main() const { return main_; }

    // The first show of the main window (form storage restore, FormShow).
    void show();
    // Selects the alias "TEST" in the alias box (after show).
    void selectAlias();
    // show() and selectAlias(), then the connect button.
    void connect();
    // Runs a statement on a connection of its own, as another client would.
    void seed(const QString& sql);
    // First field of the first row, read on that other connection.
    QString scalar(const QString& sql);
    // The main window's own query given `sql` alone, then opened (the grid shows it) or run.
    void openMain(const QString& sql);
    void execMain(const QString& sql);
    // A left click on the main window's button of that name, as the user gives it.
    void click(const QString& buttonName);

  private:
    testenv::ScratchAlias alias_;
    std::unique_ptr<TApplication> app_;
    TFMain* main_ = nullptr;
    std::unique_ptr<TComponent> other_;
};

// A test over both backends with a fresh workbench `wb` and its main window `m`.
class WorkbenchTest : public ::testing::TestWithParam<Backend> {
  protected:
    WorkbenchTest() : wb(GetParam()), m(wb.main()) {}
    Workbench wb;
    TFMain* m;
};

}  // namespace wbtest
