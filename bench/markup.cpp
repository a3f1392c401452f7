// Throughput of the skin markup reader on a large generated skin, against a
// plain scan of the same buffer for "<" measured in the same run (the least
// any reader must do). Prints MB/s of skin text and the ratio to the scan.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/markup_document.h"
#include "ui/markup_node.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

std::wstring ToWide(const std::string& utf8) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

template <typename Work>
double Best(int rounds, Work work) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    work();
    const double elapsed = Now() - start;
    if (elapsed < best) best = elapsed;
  }
  return best;
}

}  // namespace

int wmain() {
  const std::string utf8 = MakeSkin(8u << 20);
  const std::wstring wide = ToWide(utf8.substr(3));
  const double megabytes = static_cast<double>(utf8.size()) / 1e6;
  const int rounds = 7;

  volatile size_t sink = 0;
  const double scan_bytes = Best(rounds, [&] {
    size_t count = 0;
    for (char c : utf8) count += (c == '<');
    sink = sink + count;
  });
  const double scan_wide = Best(rounds, [&] {
    size_t count = 0;
    for (wchar_t c : wide) count += (c == L'<');
    sink = sink + count;
  });

  ui::MarkupDocument doc;
  bool ok = true;
  const double parse_wide = Best(rounds, [&] { ok = doc.Load(wide) && ok; });
  const double parse_utf8 = Best(rounds, [&] { ok = doc.LoadFromMemory(utf8.data(), utf8.size()) && ok; });

  // Walk the tree once, so the figures are for a document that is really there.
  size_t elements = 0;
  for (ui::MarkupNode row = doc.GetRoot().GetChild(); row.IsValid(); row = row.GetSibling()) {
    for (ui::MarkupNode child = row.GetChild(); child.IsValid(); child = child.GetSibling()) {
      elements += child.GetAttributeCount() > 0 ? 1 : 0;
    }
    ++elements;
  }

  std::printf("markup: skin of %.1f MB UTF-8 (%zu elements walked), best of %d runs, %s\n",
              megabytes, elements, rounds, ok ? "parsed" : "PARSE FAILED");
  std::printf("  scan for '<', UTF-8 bytes   %8.1f MB/s\n", megabytes / scan_bytes);
  std::printf("  scan for '<', wide text     %8.1f MB/s\n", megabytes / scan_wide);
  std::printf("  Load (wide text)            %8.1f MB/s  = %.2f x the wide scan's time\n",
              megabytes / parse_wide, parse_wide / scan_wide);
  std::printf("  LoadFromMemory (UTF-8)      %8.1f MB/s  = %.2f x the byte scan's time\n",
              megabytes / parse_utf8, parse_utf8 / scan_bytes);
  return ok ? 0 : 1;
}
