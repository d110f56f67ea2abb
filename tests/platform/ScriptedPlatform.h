#pragma once

#include "AppTitle.h"
#include "PlatformServices.h"
#include "Prompter.h"
#include "ScriptedPrompter.h"
#include "ScriptedServices.h"

#include <gtest/gtest.h>

#include <string>

namespace zanver {

// Installs a scripted prompter and scripted services for one test, reports
// every prompter failure as a test failure at once, fails the test when
// scripted questions are left over, and restores the application title.
class ScriptedPlatformTest : public ::testing::Test {
  protected:
    ScriptedPlatformTest()
        : prompter([](const std::string& failure) { ADD_FAILURE() << failure; }),
          installedPrompter(prompter),
          installedServices(services),
          savedTitle(AppTitle()) {}

    void TearDown() override {
        for (const std::string& failure : prompter.Unasked())
            ADD_FAILURE() << failure;
    }
    ~ScriptedPlatformTest() override { SetAppTitle(savedTitle); }

    // An error box with the application title as it is when the box shows.
    void ExpectError(const std::string& text) {
        prompter.Expect("Error " + AppTitle(), text, MessageButtons::Ok, MessageIcon::Stop,
                        MessageResult::Ok);
    }

    ScriptedPrompter prompter;
    ScriptedServices services;

  private:
    ScopedPrompter installedPrompter;
    ScopedServices installedServices;
    std::string savedTitle;
};

}  // namespace zanver
