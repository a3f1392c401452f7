#include "ui/controls/event_args.h"

#include <map>

namespace ui {

EventType EventTypeFromName(const std::wstring& name) {
  static const std::map<std::wstring, EventType> kNames = {
      {L"all", kEventAll},
      {L"keydown", kEventKeyDown},
      {L"keyup", kEventKeyUp},
      {L"char", kEventChar},
      {L"syskey", kEventSysKey},
      {L"mousemove", kEventMouseMove},
      {L"mouseenter", kEventMouseEnter},
      {L"mouseleave", kEventMouseLeave},
      {L"mousehover", kEventMouseHover},
      {L"buttondown", kEventMouseButtonDown},
      {L"buttonup", kEventMouseButtonUp},
      {L"rbuttondown", kEventMouseRightButtonDown},
      {L"doubleclick", kEventMouseDoubleClick},
      {L"menu", kEventMouseMenu},
      {L"scrollwheel", kEventMouseScrollWheel},
      {L"setfocus", kEventSetFocus},
      {L"killfocus", kEventKillFocus},
      {L"windowclose", kEventWindowClose},
      {L"setcursor", kEventSetCursor},
      {L"select", kEventSelect},
      {L"unselect", kEventUnSelect},
      {L"return", kEventReturn},
      {L"tab", kEventTab},
      {L"scrollchange", kEventScrollChange},
      {L"valuechange", kEventValueChange},
  };
  auto it = kNames.find(name);
  return it == kNames.end() ? kEventUnknown : it->second;
}

}  // namespace ui
