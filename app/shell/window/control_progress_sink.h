// Shows download progress in the installing view's bar and percentage
// label, paced (PacedProgress): the UI thread applies at most
// one report a frame, always the latest, and the last report is always
// shown. Flush (the destructor too) puts the last report on screen before
// anything posted to the UI thread after it, such as the next status text or
// the finished view.
#pragma once

#include "app/install/common/progress_sink.h"
#include "app/shell/window/paced_progress.h"
#include "base/weak_callback.h"
#include "ui/controls/controls_fwd.h"
#include "ui/widgets/widgets_fwd.h"

namespace app {

class ControlProgressSink : public ProgressSink {
 public:
  // For controls that outlive every report and flush.
  ControlProgressSink(ui::Control* bar, ui::Label* value);
  // For controls of `owner` (their window): once it is gone, hand-overs
  // still pending apply nothing. Make it on the owner's thread.
  ControlProgressSink(ui::Control* bar, ui::Label* value, const base::SupportWeakCallback& owner);
  ~ControlProgressSink() override;

  // From one reporting thread at a time.
  void Report(double percent) override;
  void Flush();

  // UI thread: the presentation of one value (clamped to 0..90, the bar
  // 9 px per percent, the label "%.0f%%").
  static void Apply(ui::Control* bar, ui::Label* value, double percent);

 private:
  PacedProgress paced_;
};

}  // namespace app
