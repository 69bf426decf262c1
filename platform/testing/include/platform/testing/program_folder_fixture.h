// A fresh temporary folder as the program folder of each test, so that the
// settings areas create their "Config" folder there.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/testing/temporary_folder.h"

namespace platform_testing {

class ProgramFolderTest : public ::testing::Test {
 protected:
  ScopedProgramFolder programFolder_{"settings"};
  const std::string folder_ = programFolder_.Path();
};

}  // namespace platform_testing
