#include "app/install/common/product_folder.h"

#include "app/install/common/product.h"
#include "base/files/path_compare.h"

namespace app {

std::wstring ProductFolderFor(const std::wstring& chosen) {
  if (chosen.empty() || base::SameIgnoringCase(base::LastComponent(chosen), kInstallFolderName)) return chosen;
  bool ends_in_separator = chosen.back() == L'\\' || chosen.back() == L'/';
  return chosen + (ends_in_separator ? L"" : L"\\") + kInstallFolderName;
}

}  // namespace app
