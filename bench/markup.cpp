// Throughput of the skin markup reader on a large generated skin, against a
// plain scan of the same buffer for "<" measured in the same run (the least
// any reader must do). Each reader is measured on the text it reads: Load on
// the wide (UTF-16) text, LoadFromMemory on the UTF-8 bytes; their MB/s are
// megabytes of that text, so the two rates are not of the same bytes.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "support/text.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"

namespace {

// A skin laid out the way the installer's are: nested boxes, labels and buttons with
// ten or so attributes each, entities, comments and Chinese text.
std::string MakeSkin(size_t target_bytes) {
  std::string skin = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"960,625\" "
                     "caption=\"0,0,0,40\" roundcorner=\"4,4\" shadowattached=\"false\">\n";
  int n = 0;
  while (skin.size() < target_bytes) {
    const std::string id = std::to_string(n++);
    skin += "  <!-- row " + id + " -->\n"
            "  <VBox name=\"row_" + id + "\" width=\"stretch\" height=\"auto\" margin=\"30,10,30,0\" "
            "bkcolor=\"white\" padding=\"8,4,8,4\">\n"
            "    <Label name=\"label_" + id + "\" text=\"\xE5\xAE\x89\xE8\xA3\x85 &quot;Orvane&quot; &amp; more\" "
            "font=\"system_14\" normaltextcolor=\"darkcolor\" width=\"auto\" height=\"auto\" align=\"left\"/>\n"
            "    <Button name=\"btn_" + id + "\" class=\"btn_primary\" width=\"120\" height=\"36\" "
            "normalimage=\"file='../public/button/btn_primary_normal.png' corner='4,4,4,4'\" "
            "hotimage=\"file='../public/button/btn_primary_hot.png'\" text=\"OK\"/>\n"
            "    <CheckBox name=\"check_" + id + "\" class=\"checkbox_green\" selected=\"true\" text=\"run\"/>\n"
            "  </VBox>\n";
  }
  skin += "</Window>\n";
  return skin;
}

// The median seconds of `rounds` runs of `work`.
template <typename Work>
double MedianSeconds(int rounds, Work work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double start = bench::Seconds();
    work();
    times.push_back(bench::Seconds() - start);
  }
  return bench::Median(times);
}

}  // namespace

int wmain() {
  const std::string utf8 = MakeSkin(8u << 20);
  const std::wstring wide = test_support::Wide(utf8.substr(3));
  const double utf8_mb = static_cast<double>(utf8.size()) / 1e6;
  const double wide_mb = static_cast<double>(wide.size() * sizeof(wchar_t)) / 1e6;
  const int rounds = 7;

  volatile size_t sink = 0;
  const double scan_bytes = MedianSeconds(rounds, [&] {
    size_t count = 0;
    for (char c : utf8) count += (c == '<');
    sink = sink + count;
  });
  const double scan_wide = MedianSeconds(rounds, [&] {
    size_t count = 0;
    for (wchar_t c : wide) count += (c == L'<');
    sink = sink + count;
  });

  ui::MarkupDocument doc;
  bool ok = true;
  const double parse_wide = MedianSeconds(rounds, [&] { ok = doc.Load(wide) && ok; });
  const double parse_utf8 = MedianSeconds(rounds, [&] { ok = doc.LoadFromMemory(utf8.data(), utf8.size()) && ok; });

  // Walk the tree once, so the figures are for a document that is really there.
  size_t elements = 0;
  for (ui::MarkupNode row = doc.GetRoot().GetChild(); row.IsValid(); row = row.GetSibling()) {
    for (ui::MarkupNode child = row.GetChild(); child.IsValid(); child = child.GetSibling()) {
      elements += child.GetAttributeCount() > 0 ? 1 : 0;
    }
    ++elements;
  }

  std::printf("markup: skin of %.1f MB UTF-8 / %.1f MB UTF-16 (%zu elements walked), median of %d runs, %s\n",
              utf8_mb, wide_mb, elements, rounds, ok ? "parsed" : "PARSE FAILED");
  bench::PrintFigure("markup, Load of wide text", wide_mb / parse_wide, "MB/s UTF-16",
                     "scan of the wide text for '<'", wide_mb / scan_wide);
  bench::PrintFigure("markup, LoadFromMemory of UTF-8", utf8_mb / parse_utf8, "MB/s UTF-8",
                     "scan of the UTF-8 bytes for '<'", utf8_mb / scan_bytes);
  return ok ? 0 : 1;
}
