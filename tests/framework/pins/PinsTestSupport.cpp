// Brings the pin framework up once for every test program of the folder.
#include <gtest/gtest.h>

#include "framework/pins/OWPins.h"

namespace {

class TPinsEnvironment : public ::testing::Environment {
public:
  void SetUp() override { OWPinsInitialization(); }
  void TearDown() override { OWPinsFinalization(); }
};

const auto *const pinsEnvironment = ::testing::AddGlobalTestEnvironment(new TPinsEnvironment);

} // namespace
