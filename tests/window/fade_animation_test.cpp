// The window's open and close fade: 250 ms, speeding up for the first 30 %
// of the time and slowing down for the rest.
#include <gtest/gtest.h>

#include "ui/window/fade_animation.h"

namespace {

TEST(FadeAnimation, SpeedsUpThenSlowsDownWithoutAConstantPhase) {
  ui::FadeAnimation fade;
  fade.Configure(0, 255, 250, 0.3, 0.7);
  EXPECT_DOUBLE_EQ(0.0, fade.Progress(0.0));
  EXPECT_DOUBLE_EQ(1.0, fade.Progress(1.0));
  // Uniform acceleration then deceleration: the turning point at 30 % of the
  // time has covered 30 % of the distance.
  EXPECT_NEAR(0.3, fade.Progress(0.3), 1e-9);
  double last_step = 0;
  double previous = 0;
  for (int i = 1; i <= 100; ++i) {
    const double now = fade.Progress(i / 100.0);
    const double step = now - previous;
    EXPECT_GE(step, 0) << "the fade went backwards at " << i << "%";
    if (i <= 30) {
      EXPECT_GE(step, last_step - 1e-12) << "slowed down while speeding up at " << i;
    }
    if (i > 31) {
      EXPECT_LE(step, last_step + 1e-12) << "sped up while slowing down at " << i;
    }
    last_step = step;
    previous = now;
  }
}

TEST(FadeAnimation, RunsForwardToTheEndAndBackFromWhereItIs) {
  ui::FadeAnimation fade;
  fade.Configure(0, 255, 250, 0.3, 0.7);
  fade.Start(true, 1000);
  EXPECT_TRUE(fade.IsRunning());
  EXPECT_EQ(0, fade.Step(1000));
  const int early = fade.Step(1050);
  const int later = fade.Step(1200);
  EXPECT_LT(0, early);
  EXPECT_LT(early, later);
  EXPECT_EQ(255, fade.Step(1250));
  EXPECT_FALSE(fade.IsRunning()) << "the fade did not stop at its end";

  // Backwards from full: the whole distance takes the whole duration.
  fade.Start(false, 2000);
  EXPECT_LT(fade.Step(2125), 255);
  EXPECT_EQ(0, fade.Step(2250));
  EXPECT_FALSE(fade.IsRunning());

  // Half way there, going back takes half the time.
  fade.SetValue(128);
  fade.Start(false, 3000);
  EXPECT_EQ(0, fade.Step(3126));
}

}  // namespace
