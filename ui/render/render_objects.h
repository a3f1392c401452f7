// Pens, brushes, matrices and paths handed to IRenderContext. They are thin
// wrappers over the drawing library; the installer's controls draw with
// colours and rectangles only, so these carry just what a caller needs to
// build simple shapes.
#pragma once

#include <windows.h>

#include <memory>

namespace ui {

class IPen {
 public:
  enum class DashStyle { kSolid, kDash, kDot, kDashDot, kDashDotDot };
  virtual ~IPen() = default;
  virtual std::unique_ptr<IPen> Clone() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual int GetWidth() const = 0;
  virtual void SetColor(DWORD argb) = 0;
  virtual DWORD GetColor() const = 0;
  virtual void SetDashStyle(DashStyle style) = 0;
  virtual DashStyle GetDashStyle() const = 0;
};

class IBrush {
 public:
  virtual ~IBrush() = default;
  virtual std::unique_ptr<IBrush> Clone() const = 0;
  virtual DWORD GetColor() const = 0;
};

class IMatrix {
 public:
  virtual ~IMatrix() = default;
  virtual void Translate(int dx, int dy) = 0;
  virtual void Scale(float sx, float sy) = 0;
  virtual void Rotate(float degrees) = 0;
  virtual void Reset() = 0;
};

class IPath {
 public:
  virtual ~IPath() = default;
  virtual void Reset() = 0;
  virtual void StartFigure() = 0;
  virtual void CloseFigure() = 0;
  virtual void AddLine(int x1, int y1, int x2, int y2) = 0;
  virtual void AddRect(const RECT& rect) = 0;
  virtual void AddEllipse(const RECT& rect) = 0;
  virtual void AddArc(const RECT& rect, float start_angle, float sweep_angle) = 0;
  virtual void AddBezier(POINT p1, POINT p2, POINT p3, POINT p4) = 0;
  virtual void AddPolygon(const POINT* points, int count) = 0;
  virtual void Transform(const IMatrix& matrix) = 0;
  virtual RECT GetBounds(const IPen* pen) const = 0;
};

}  // namespace ui
