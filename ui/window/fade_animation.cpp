#include "ui/window/fade_animation.h"

#include <algorithm>
#include <cstdlib>

namespace ui {

void FadeAnimation::Configure(int start_value, int end_value, int duration_ms,
                              double speed_up_share, double slow_down_share) {
  start_value_ = start_value;
  end_value_ = end_value;
  duration_ms_ = std::max(duration_ms, 0);
  speed_up_ = std::clamp(speed_up_share, 0.0, 1.0);
  slow_down_ = std::clamp(slow_down_share, 0.0, 1.0 - speed_up_);
  value_ = start_value;
  running_ = false;
}

double FadeAnimation::Progress(double f) const {
  f = std::clamp(f, 0.0, 1.0);
  const double a = speed_up_;
  const double d = slow_down_;
  const double c = 1.0 - a - d;
  // Peak speed v (distance per unit of time) so that the three phases cover
  // the whole distance: v*a/2 + v*c + v*d/2 = 1.
  const double v = 1.0 / (a / 2 + c + d / 2);
  if (f < a) return v * f * f / (2 * a);
  if (f <= a + c) return v * a / 2 + v * (f - a);
  const double rest = 1.0 - f;
  return d > 0 ? 1.0 - v * rest * rest / (2 * d) : 1.0;
}

void FadeAnimation::Start(bool forward, DWORD now_ms) {
  forward_ = forward;
  from_value_ = value_;
  to_value_ = forward ? end_value_ : start_value_;
  const int whole = std::abs(end_value_ - start_value_);
  const int left = std::abs(to_value_ - from_value_);
  run_ms_ = whole > 0 ? static_cast<int>(static_cast<long long>(duration_ms_) * left / whole) : 0;
  started_ms_ = now_ms;
  running_ = left > 0 && run_ms_ > 0;
  if (!running_) value_ = to_value_;
}

int FadeAnimation::Step(DWORD now_ms) {
  if (!running_) return value_;
  const DWORD elapsed = now_ms - started_ms_;
  if (elapsed >= static_cast<DWORD>(run_ms_)) {
    value_ = to_value_;
    running_ = false;
    return value_;
  }
  const double p = Progress(static_cast<double>(elapsed) / run_ms_);
  value_ = from_value_ + static_cast<int>((to_value_ - from_value_) * p);
  return value_;
}

}  // namespace ui
