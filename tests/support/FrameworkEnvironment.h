// Brings the framework up once per test program: FrameworkInitialization
// before the first test, FrameworkFinalization after the last, as the
// program's main does. Include this header in a test file of any suite whose
// tests make pins, buffers, clocks or components; the suite links
// framework_data (besides test_support). Including it in several files of one
// program registers the environment once.
#pragma once

#include <gtest/gtest.h>

#include "framework/data/FrameworkRuntime.h"

class TFrameworkEnvironment : public ::testing::Environment {
public:
  void SetUp() override { FrameworkInitialization(); }
  void TearDown() override { FrameworkFinalization(); }
};

inline ::testing::Environment *const frameworkEnvironment =
    ::testing::AddGlobalTestEnvironment(new TFrameworkEnvironment);
