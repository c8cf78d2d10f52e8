#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "TestEnv.h"
#include "framework/Application.h"

class TDatabase;

// The tool windows as the program creates them, behind a main window of their own.
namespace toolstest {

class Tools {
  public:
    Tools();
    ~Tools();
    TApplication& app() { return *app_; }
    // Ends the run and starts a new one: every window destroyed and created again.
    void restart();
    // Opens database "X" on the alias TEST (a ScratchAlias made before), owned by the
    // application as the main window's would be.
    TDatabase* openDatabase();

  private:
    void start();
    std::unique_ptr<TApplication> app_;
};

}  // namespace toolstest
