// What a window's paints have cost since a test or benchmark began to watch
// them: the sum of the ui::PaintCost of each paint that drew, and how many
// there were.
#pragma once

#include <memory>

#include "ui/window/window.h"

namespace test_support {

struct PaintTimes {
  long long paints = 0;
  double render_seconds = 0;
  double present_seconds = 0;
  double present_cpu_seconds = 0;
};

// Adds up the paints of `window` from now on (before OpenWindow, to count
// the first). The times stay readable after the window is gone; read them
// on the window's thread.
inline std::shared_ptr<const PaintTimes> CountPaints(ui::Window& window) {
  auto times = std::make_shared<PaintTimes>();
  window.WatchPaints([times](const ui::PaintCost& cost) {
    ++times->paints;
    times->render_seconds += cost.render_seconds;
    times->present_seconds += cost.present_seconds;
    times->present_cpu_seconds += cost.present_cpu_seconds;
  });
  return times;
}

}  // namespace test_support
