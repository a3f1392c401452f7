// The colours global.xml gives every control to fall back to: the colour
// names labels use for normal and disabled text (names, because a label
// resolves its own colour names when it paints), and the link and selection
// colours, already resolved through the colour table.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct GlobalTextColors {
  std::wstring normal_name = L"textdefaultcolor";
  std::wstring disabled_name = L"textdefaultdisablecolor";
  DWORD link = 0;
  DWORD link_hover = 0;
  DWORD selected = 0;
};

}  // namespace ui
