// Shared set-up of the control tests: the framework started once (GDI+,
// render factory), colours the tests paint with, solid-colour PNG files made
// on the fly, and a small control that counts what it is asked to do.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/offscreen_host.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"

namespace controls_test {

// ARGB values of the colours registered under these names.
constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kGreen = 0xFF00FF00;
constexpr DWORD kBlue = 0xFF0000FF;
constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr DWORD kBlack = 0xFF000000;

// Starts GlobalResources once per program (no skin archive, no global.xml)
// and registers "red", "green", "blue", "white", "black" and "half_red"
// (alpha 0x80).
void StartFramework();

// A w x h PNG of one opaque colour in the test folder; returns its Windows
// path (created once per name).
std::wstring SolidPng(const std::wstring& name, int width, int height, DWORD argb);

// A control that records how often it triggered and measured text.
class ProbeControl : public ui::Control {
 public:
  void Trigger() override { ++triggers; }
  SIZE EstimateText(int, int) override {
    ++text_estimates;
    return text_size;
  }
  int triggers = 0;
  int text_estimates = 0;
  SIZE text_size{0, 0};
};

// A box that clicks like a button box would.
class ProbeBox : public ui::Box {
 public:
  using ui::Box::Box;
  void Trigger() override { ++triggers; }
  int triggers = 0;
};

// A fixed-size control: width x height pixels.
ui::Control* Fixed(int width, int height);

// A control made with new, for its box to own: the tests keep the raw
// pointer to look at the control once it is in the tree.
inline std::unique_ptr<ui::Control> Owned(ui::Control* control) {
  return std::unique_ptr<ui::Control>(control);
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFramework(); }
};

}  // namespace controls_test
