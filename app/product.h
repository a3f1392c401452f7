#pragma once

namespace app {

// The product's display name: the installer window's title and class name.
inline constexpr wchar_t kProductName[] = L"Orvane";

}  // namespace app
