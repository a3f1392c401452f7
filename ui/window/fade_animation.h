// The window's alpha fade: a value that runs from a start to an end value
// over a duration, speeding up for a share of the time and slowing down for
// the rest, with no constant-speed phase in between when the two shares add
// up to the whole. It only computes values; the window drives it from a
// timer and applies each value as its layered alpha.
#pragma once

#include <windows.h>

namespace ui {

class FadeAnimation {
 public:
  // speed_up + slow_down shares of the duration; what is left over runs at
  // constant speed.
  void Configure(int start_value, int end_value, int duration_ms, double speed_up_share,
                 double slow_down_share);

  // Starts running towards the end value (forward) or back towards the start
  // value, from wherever the value is now, at time `now_ms`. The time taken
  // is the duration scaled by the share of the distance left.
  void Start(bool forward, DWORD now_ms);
  // The value at `now_ms`; the animation stops itself once it arrives.
  int Step(DWORD now_ms);

  bool IsRunning() const { return running_; }
  bool IsForward() const { return forward_; }
  int GetValue() const { return value_; }
  void SetValue(int value) { value_ = value; }
  int GetStartValue() const { return start_value_; }
  int GetEndValue() const { return end_value_; }

  // Share (0..1) of the distance covered after `fraction` (0..1) of the time,
  // for the configured speed-up and slow-down shares.
  double Progress(double fraction) const;

 private:
  int start_value_ = 0;
  int end_value_ = 255;
  int duration_ms_ = 250;
  double speed_up_ = 0.3;
  double slow_down_ = 0.7;

  bool running_ = false;
  bool forward_ = true;
  int value_ = 255;
  int from_value_ = 0;
  int to_value_ = 0;
  DWORD started_ms_ = 0;
  int run_ms_ = 0;
};

}  // namespace ui
