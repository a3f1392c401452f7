// What the package download reports its progress to.
#pragma once

namespace app {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // Called on the download's thread after every chunk written, with the share
  // of the package on disk so far, 0 to 100 (bytes already in a resumed file
  // count). Must be cheap: a package of many megabytes reports once per KiB.
  virtual void Report(double percent) = 0;
};

}  // namespace app
