// The worker thread "Global Misc Thread": a plain message loop that runs the
// tasks posted to its identifier (the install task).
#pragma once

#include "base/framework_thread.h"
#include "base/weak_callback.h"

namespace app {

class MiscThread : public base::FrameworkThread, public virtual base::SupportWeakCallback {
 public:
  explicit MiscThread(int identifier);
  ~MiscThread() override;

  int identifier() const { return identifier_; }

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  const int identifier_;
};

}  // namespace app
