#pragma once
// The programs' process-wide objects and settings, set up inside a test process, so that
// their windows can be opened and inspected in-process.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/layouts.h"
#include "runtime/modules.h"
#include "test_support.h"

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rt::StartRuntime());
    main_ = app::MainModule("Test");
    main_.attachProcess();
    main_.attachThread();
    config_.name = "Test";
    config_.iniFile = dir_.File("Test.INI");
    config_.frameModule = "Test$FRAME";
    config_.dialogModule = "Test$DIALOG";
    config_.framePrefix = ".\\RECIENTES.Test.";
    config_.frameUserName = "tester";
    app::SetProgram(config_);
    app::RegisterFrameLayouts(config_.frameModule, config_.dialogModule);
    app::GLOBALERRORS->INIT(app::ThisThread().GLOBALERRORSTATUS);
    app::INIMGR->INIT(config_.iniFile);
  }
  void TearDown() override {
    app::INIMGR->KILL();
    main_.detachThread();
    main_.detachProcess();
  }

  testing_support::TempDir dir_;
  app::ProgramConfig config_;
  rt::Module main_;
};
