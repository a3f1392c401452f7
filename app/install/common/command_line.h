// The installer's switches: "--silent" (an unattended install) and
// "--folder=PATH" (the install folder). "--test" is read where the package
// is chosen (version/package_choice.h) and is only accepted here.
#pragma once

#include <string>

namespace app {

struct CommandLineOptions {
  bool silent = false;
  // The install folder named with --folder=, the product's folder appended
  // as for a folder picked in the window (ProductFolderFor); empty when none.
  std::wstring folder;
  // Why the command line cannot be read ("unknown switch --x"); empty when it can.
  std::wstring error;
};

// Reads a whole command line, the program's path first, as the system splits
// it into arguments. Arguments that do not start with "--" are none of the
// installer's business. An unknown "--" switch, and a --folder= that is
// empty, not an absolute path (a drive letter or a \\server\share) or given
// twice, make `error`, never a guess.
CommandLineOptions ParseCommandLine(const std::wstring& command_line);

// The process's own command line, read once.
const CommandLineOptions& ProcessCommandLine();

}  // namespace app
