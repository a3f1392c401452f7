// Names of the control core, for headers that only hold pointers or
// references to controls and need not see their definitions.
#pragma once

namespace ui {

class Box;
class Control;
class HBox;
class IControlHost;
class Layout;
class PlaceHolder;
class VBox;
struct EventArgs;

}  // namespace ui
