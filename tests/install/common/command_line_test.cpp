// The installer's switches as the system splits a command line: what is
// taken, what is left to others, and what is refused rather than guessed.
#include "app/install/common/command_line.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"
#include "support/text.h"

namespace {

app::CommandLineOptions Parse(const wchar_t* arguments) {
  return app::ParseCommandLine(std::wstring(L"\"C:\\dl\\OrvaneSetup.exe\" ") + arguments);
}

TEST(CommandLine, SwitchesAreTakenAndOtherArgumentsLeftAlone) {
  // A folder with spaces, quoted (a backslash before the quote doubled); the
  // product's folder appended as for a picked one.
  auto options = Parse(L"/S x--test --silent \"--folder=D:\\My Apps\\\\\" --test");
  EXPECT_TRUE(options.silent);
  EXPECT_EQ(L"D:\\My Apps\\orvanecloud", options.folder);
  EXPECT_EQ(L"", options.error);

  // A drive root and a share get the product's folder; a product folder is kept.
  EXPECT_EQ(L"E:\\orvanecloud", Parse(L"--folder=E:\\").folder);
  EXPECT_EQ(L"\\\\srv\\apps\\orvanecloud", Parse(L"--folder=\\\\srv\\apps").folder);
  EXPECT_EQ(L"D:\\Soft\\OrvaneCloud", Parse(L"--folder=D:\\Soft\\OrvaneCloud\\\\").folder);

  EXPECT_FALSE(Parse(L"").silent) << "no switch made a silent install";
}

TEST(CommandLine, WhatCannotBeReadIsRefusedWhereverSilentStands) {
  for (const wchar_t* line : {L"--bogus --silent", L"--silent --folder=", L"--folder=apps\\x --silent",
                              L"--silent --folder=C:apps", L"--silent --folder=\\apps",
                              L"--folder=D:\\a --folder=D:\\b --silent", L"--silent --Silent"}) {
    auto options = Parse(line);
    EXPECT_TRUE(options.silent) << test_support::Utf8(line);
    EXPECT_NE(L"", options.error) << "taken although it cannot be read: " << test_support::Utf8(line);
    EXPECT_EQ(L"", options.folder) << test_support::Utf8(line);
  }
  EXPECT_EQ(L"unknown switch --bogus", Parse(L"--bogus --silent").error);
}

TEST(CommandLine, AFolderWithNothingToGoIntoIsRefused) {
  test_support::ScratchFolder scratch;
  // The product's folder may be new; the folder it goes into must be there.
  for (const std::wstring& there : {scratch.path(), scratch / L"orvanecloud"}) {
    auto options = app::ParseCommandLine(L"setup.exe --silent \"--folder=" + there + L"\"");
    app::RefuseMissingFolder(options);
    EXPECT_EQ(L"", options.error) << test_support::Utf8(there);
    EXPECT_EQ(scratch / L"orvanecloud", options.folder);
  }
  auto options = app::ParseCommandLine(L"setup.exe --silent \"--folder=" + (scratch / L"gone") + L"\"");
  app::RefuseMissingFolder(options);
  EXPECT_EQ(L"--folder= names a folder that does not exist: " + (scratch / L"gone"), options.error);
  EXPECT_EQ(L"", options.folder);
}

}  // namespace
