// Paths and file names compared the way Windows file systems compare them:
// without regard to letter case, and folders only at a separator.
#pragma once

#include <string_view>

namespace base {

// True when `a` and `b` are the same text ignoring letter case (ordinal:
// each character's upper case, as the file system matches names).
bool SameIgnoringCase(std::wstring_view a, std::wstring_view b);

// True when `path` lies inside `folder`, at any depth: `folder` (with or
// without separators at its end) followed by a separator. "/" and "\" are
// one separator. "D:\Apps\orvanecloud2\x.exe" is not inside
// "D:\Apps\orvanecloud"; "d:\apps\OrvaneCloud\x.exe" is. An empty folder
// names no folder and holds nothing.
bool IsInsideFolder(std::wstring_view path, std::wstring_view folder);

// The last component of `path`, trailing separators ignored ("" for a root).
std::wstring_view LastComponent(std::wstring_view path);

}  // namespace base
