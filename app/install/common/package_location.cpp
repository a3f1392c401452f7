#include "app/install/common/package_location.h"

namespace app {

std::wstring downloadUrl;
std::wstring packagePath;
std::string packageSha256;

}  // namespace app
