// The rich-edit host over the system's text services, driven directly: the
// engine is real (Wine's msftedit), the drawing goes into a 32-bit DIB.
#include "ui/widgets/text_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "base/unique_any.h"
#include "ui/render/gdi_bitmap.h"

namespace {

// A white 32-bit bitmap selected into a memory DC for the host to draw into.
struct Dib {
  Dib(int w, int h) : width(w), height(h), dc(::CreateCompatibleDC(nullptr)) {
    image.Init(dc.get(), w, h);
    bits = reinterpret_cast<uint32_t*>(image.GetBits());
    selected.emplace(dc.get(), image.GetBitmap());
    Fill(0xFFFFFFFF);
  }
  void Fill(uint32_t v) {
    for (int i = 0; i < width * height; ++i) bits[i] = v;
  }
  // Pixels whose colour differs from white, in a rectangle.
  int InkIn(const RECT& r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if ((bits[y * width + x] & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
  }
  // The darkest red channel among the inked pixels.
  int DarkestRed(const RECT& r) const {
    int darkest = 255;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        int red = (bits[y * width + x] >> 16) & 0xFF;
        if (red < darkest) darkest = red;
      }
    return darkest;
  }

  int width = 0, height = 0;
  base::unique_hdc dc;
  ui::GdiBitmap image;
  std::optional<base::unique_select_object> selected;
  uint32_t* bits = nullptr;
};

base::unique_hfont MakeFont(int pixels) {
  LOGFONTW lf{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  lf.lfHeight = -pixels;
  ::lstrcpyW(lf.lfFaceName, L"微软雅黑");
  lf.lfCharSet = DEFAULT_CHARSET;
  return base::unique_hfont(::CreateFontIndirectW(&lf));
}

ui::TextHostStyle ReadOnlyMultiLine() {
  ui::TextHostStyle style;
  style.bits = ES_MULTILINE | ES_READONLY;
  style.rich = false;
  return style;
}

class TextHostColour : public ::testing::TestWithParam<bool> {};

TEST_P(TextHostColour, DrawsTextInItsColourInsideTheBounds) {
  ui::TextHostStyle style = ReadOnlyMultiLine();
  style.rich = GetParam();
  ASSERT_NE(ui::CTxtWinHost::EngineFactory(), nullptr)
      << "msftedit.dll or its CreateTextServices export is missing";
  auto host = ui::CTxtWinHost::Create(nullptr, style, L"");
  ASSERT_TRUE(host) << "the text services refused to make an engine";
  auto font = MakeFont(16);
  host->SetFont(font.get());
  host->SetTextColor(RGB(0, 0, 0));
  host->SetText(L"网络连接失败");
  EXPECT_EQ(host->GetText(), L"网络连接失败");
  Dib dib(240, 80);
  RECT bounds = {20, 10, 220, 70};
  host->Draw(dib.dc.get(), bounds, RECT{0, 0, 240, 80});
  EXPECT_GT(dib.InkIn(bounds), 30) << "no text was drawn inside the bounds";
  EXPECT_EQ(dib.InkIn(RECT{0, 0, 20, 80}), 0) << "text was drawn left of the bounds";
  EXPECT_LT(dib.DarkestRed(bounds), 80) << "black text drawn too light";

  // A new default colour reaches text that is already there.
  host->SetTextColor(RGB(255, 0, 0));
  dib.Fill(0xFFFFFFFF);
  host->Draw(dib.dc.get(), bounds, RECT{0, 0, 240, 80});
  int dark_pixels = 0;
  for (int y = bounds.top; y < bounds.bottom; ++y)
    for (int x = bounds.left; x < bounds.right; ++x) {
      uint32_t p = dib.bits[y * dib.width + x];
      if (((p >> 16) & 0xFF) < 128) ++dark_pixels;
    }
  EXPECT_GT(dib.InkIn(bounds), 30);
  EXPECT_EQ(dark_pixels, 0) << "the text kept its old colour after the default colour changed";
  host->Detach();
}

INSTANTIATE_TEST_SUITE_P(PlainAndRich, TextHostColour, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Rich" : "Plain"; });

}  // namespace
