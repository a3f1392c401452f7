// The value of every image attribute of a control: which file, where to draw
// it, which part of it, nine-slice corners, opacity and tiling.
//
// Written either as a bare file name ("../public/bk.png") or as blank
// separated pairs key='value': file (or res), dest, destscale, source,
// corner, fade, xtiled, ytiled, playcount.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace ui {

class ImageInfo;

struct ImageSpec {
  // Resets every field, then reads `text`; nothing of an earlier value
  // survives.
  void SetImageString(const std::wstring& text);
  // Reads key='value' pairs over the current fields (a draw-time modifier is
  // applied to a copy this way). Unknown keys are ignored, a pair with an
  // empty value is skipped, reading stops at the first malformed pair.
  void ApplyModifiers(const std::wstring& text);
  // Back to the defaults, dropping the loaded image too.
  void Clear();

  bool HasFile() const { return !file.empty(); }
  bool HasDest() const { return IsFullySet(dest); }
  bool HasSource() const { return IsFullySet(source); }
  static bool IsFullySet(const RECT& r) {
    return r.left != -1 && r.top != -1 && r.right != -1 && r.bottom != -1;
  }

  // Same drawing description (the loaded image is not compared).
  bool SameLook(const ImageSpec& other) const;

  std::wstring imageString;
  std::wstring file;
  RECT dest{-1, -1, -1, -1};
  bool destScale = true;
  RECT source{-1, -1, -1, -1};
  RECT corner{0, 0, 0, 0};
  int fade = 255;
  bool xTiled = false;
  bool yTiled = false;
  int playCount = -1;
  std::shared_ptr<ImageInfo> image;
};

}  // namespace ui
