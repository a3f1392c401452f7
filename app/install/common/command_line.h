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

// The install creates its own folder but none above it, and a folder can
// only be picked in the window when it exists: a --folder= whose install
// folder would have no existing folder to go into makes `error` too.
void RefuseMissingFolder(CommandLineOptions& options);

// The process's own command line, read once, RefuseMissingFolder applied.
const CommandLineOptions& ProcessCommandLine();

}  // namespace app
