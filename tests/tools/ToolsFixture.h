#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "TestEnv.h"
#include "framework/Application.h"

// The tool windows as the program creates them, behind a main window of their own.
namespace toolstest {

class Tools {
  public:
    Tools();
    ~Tools();
    TApplication& app() { return *app_; }
    // Ends the run and starts a new one: every window destroyed and created again.
    void restart();

  private:
    void start();
    std::unique_ptr<TApplication> app_;
};

}  // namespace toolstest
