// A fixture for tests of what the program writes to its working folder:
// each test runs in a fresh scratch folder, so setup.log holds only that
// test's records, and the folder goes when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "support/setup_log_reader.h"

namespace test_support {

class WorkingFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    working_.emplace(temp_.path());
    ASSERT_TRUE(working_->entered()) << "could not enter the test's working folder";
  }
  void TearDown() override { working_.reset(); }
  // The messages of this test's setup.log, line feeds restored.
  std::vector<std::wstring> Log() const { return SetupLogMessages(temp_ / L"setup.log"); }

  ScratchFolder temp_;

 private:
  std::optional<WorkingFolder> working_;
};

}  // namespace test_support
