// What a control tree needs from the window it lives in.
//
// Controls never talk to a native window directly: they reach their window
// through this interface. The window shell implements it over a real HWND;
// a test host implements it over a bare render context, so trees can be
// laid out, painted and fed events without a window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/event_args.h"

namespace ui {

class Control;
class IRenderContext;

class IControlHost {
 public:
  virtual ~IControlHost() = default;

  // The native window, or null for an off-screen host.
  virtual HWND GetHWND() const = 0;

  // The root of the tree (not owned by the caller).
  virtual Control* GetRoot() const = 0;

  // The render context the tree paints into and measures text with.
  virtual IRenderContext* GetRenderContext() const = 0;

  // Marks a rectangle (client coordinates) as needing a repaint.
  virtual void Invalidate(const RECT& rect) = 0;

  // A control asked for arrangement: a layout pass is due before the next
  // paint.
  virtual void RequestLayout() = 0;

  // The name map. Register replaces an entry of the same name; Unregister is
  // called when a control is destroyed so that the host drops every pointer
  // to it (name map, focus, hover, pressed, capture).
  virtual void RegisterControlName(Control* control) = 0;
  virtual void UnregisterControl(Control* control) = 0;
  virtual Control* FindControl(const std::wstring& name) const = 0;

  // Classes declared inside the window's own skin; empty text when unknown.
  virtual std::wstring GetClassAttributes(const std::wstring& class_name) const = 0;

  // The skin folder of the window relative to the resource path, ending in a
  // separator ("basic\"); relative image names are resolved against it.
  virtual std::wstring GetResourceSubPath() const = 0;

  // The control the mouse is over (hovered), or null.
  virtual Control* GetMouseOverControl() const = 0;
  // The last mouse position seen by the window, client coordinates.
  virtual POINT GetLastMousePos() const = 0;

  // Keyboard focus inside the tree.
  virtual Control* GetFocusControl() const = 0;
  virtual void SetFocusControl(Control* control) = 0;

  // Mouse capture of the window.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool IsCaptured() const = 0;

  // One-shot or repeating timers owned by the window. The task should be a
  // weak callback of its control. Returns 0 on failure.
  virtual UINT_PTR StartTimer(std::function<void()> task, UINT elapse_ms, bool repeat) = 0;
  virtual void StopTimer(UINT_PTR timer_id) = 0;

  // A control with a context menu asks the window to send the menu event
  // (kEventMouseMenu) with the last mouse position.
  virtual void SendMenuEvent(Control* control) = 0;
};

}  // namespace ui
