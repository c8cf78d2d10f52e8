#pragma once

#include <gtest/gtest.h>
#include <QString>
#include <memory>

#include "TestEnv.h"
#include "framework/Application.h"
#include "workbench/MainWindow.h"

// A main window whose alias list holds "TEST": a fresh SQLite file in the test's folder
// or a schema of its own on the throwaway PostgreSQL server.
namespace wbtest {

enum class Backend { Sqlite, Postgres };
QString BackendName(Backend b);
inline void PrintTo(Backend b, std::ostream* os) {
    *os << (b == Backend::Sqlite ? "Sqlite" : "Postgres");
}
// For INSTANTIATE_TEST_SUITE_P(..., testing::Values(Backend::Sqlite, Backend::Postgres), wbtest::ParamName).
std::string ParamName(const ::testing::TestParamInfo<Backend>& info);

class Workbench {
  public:
    explicit Workbench(Backend backend);
    ~Workbench();

    Backend backend() const { return backend_; }
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

  private:
    Backend backend_;
    QString schema_;
    std::unique_ptr<TApplication> app_;
    TFMain* main_ = nullptr;
    std::unique_ptr<TComponent> other_;
};

}  // namespace wbtest
