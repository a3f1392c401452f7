#include "app/shell/window/control_progress_sink.h"

#include <cstdio>

#include "ui/controls/control.h"
#include "ui/widgets/label.h"

namespace app {

void ControlProgressSink::Apply(ui::Control* bar, ui::Label* value, double percent) {
  if (!(percent >= 0)) percent = 0;  // also NaN
  if (percent >= 90) percent = 90;
  if (bar && bar->IsVisible()) bar->SetFixedWidth(static_cast<int>(percent * 9));
  if (value && value->IsVisible()) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%.0f%%", percent);
    value->SetText(text);
  }
}

ControlProgressSink::ControlProgressSink(ui::Control* bar, ui::Label* value)
    : paced_([bar, value](double percent) { Apply(bar, value, percent); }) {}

ControlProgressSink::ControlProgressSink(ui::Control* bar, ui::Label* value,
                                         const base::SupportWeakCallback& owner)
    : paced_(owner.ToWeakCallback([bar, value](double percent) { Apply(bar, value, percent); })) {}

ControlProgressSink::~ControlProgressSink() { Flush(); }

void ControlProgressSink::Report(double percent) { paced_.Report(percent); }

void ControlProgressSink::Flush() { paced_.Flush(); }

}  // namespace app
