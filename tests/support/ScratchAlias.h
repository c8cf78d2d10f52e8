#pragma once

#include <gtest/gtest.h>
#include <QString>
#include <ostream>
#include <string>

// The two database backends every behavioural test runs on.
namespace testenv {

enum class Backend { Sqlite, Postgres };

QString BackendName(Backend b);
inline void PrintTo(Backend b, std::ostream* os) {
    *os << BackendName(b).toStdString();
}
// For INSTANTIATE_TEST_SUITE_P(..., testing::Values(Backend::Sqlite, Backend::Postgres), testenv::ParamName).
std::string ParamName(const ::testing::TestParamInfo<Backend>& info);

// Writes aliases.conf with one alias "TEST" on a fresh, empty database of the backend: an
// SQLite file in the test's folder, or a schema of its own on the throwaway PostgreSQL
// server (dropped again by the destructor). Without a server it fails the test.
class ScratchAlias {
  public:
    explicit ScratchAlias(Backend backend);
    ~ScratchAlias();
    ScratchAlias(const ScratchAlias&) = delete;
    ScratchAlias& operator=(const ScratchAlias&) = delete;
    Backend backend() const { return backend_; }

  private:
    Backend backend_;
    QString schema_;
};

}  // namespace testenv
