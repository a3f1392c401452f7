// The children a box owns, in paint order. Apart from control.h so that
// layouts and tree walks can name the list without the whole class.
#pragma once

#include <memory>
#include <vector>

namespace ui {

class Control;
using ControlList = std::vector<std::unique_ptr<Control>>;

}  // namespace ui
