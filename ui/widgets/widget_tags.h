// The tags a skin may name for a control, each with what makes it. A new
// control adds its tag here; the builder reads only this table, so it names
// no control class itself.
#pragma once

#include <string>

namespace ui {

class Control;

// A new control for `tag` ("Button", "VBox", ...), owned by the caller; null
// for a tag no control registered.
Control* CreateControlForTag(const std::wstring& tag);

}  // namespace ui
