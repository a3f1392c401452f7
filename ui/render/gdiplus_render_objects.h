// GDI+ backed pens, brushes, matrices and paths (see render_objects.h).
// They need GDI+ started for their whole lifetime.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include <memory>

#include "ui/render/render_objects.h"

namespace ui {

class Pen_GdiPlus : public IPen {
 public:
  Pen_GdiPlus(DWORD argb, int width);
  std::unique_ptr<IPen> Clone() const override;
  void SetWidth(int width) override;
  int GetWidth() const override { return width_; }
  void SetColor(DWORD argb) override;
  DWORD GetColor() const override { return color_; }
  void SetDashStyle(DashStyle style) override;
  DashStyle GetDashStyle() const override { return dash_; }

  Gdiplus::Pen* GetPen() const { return pen_.get(); }

 private:
  DWORD color_;
  int width_;
  DashStyle dash_ = DashStyle::kSolid;
  std::unique_ptr<Gdiplus::Pen> pen_;
};

class Brush_Gdiplus : public IBrush {
 public:
  explicit Brush_Gdiplus(DWORD argb);
  std::unique_ptr<IBrush> Clone() const override;
  DWORD GetColor() const override { return color_; }

  Gdiplus::Brush* GetBrush() const { return brush_.get(); }

 private:
  DWORD color_;
  std::unique_ptr<Gdiplus::SolidBrush> brush_;
};

class Matrix_Gdiplus : public IMatrix {
 public:
  Matrix_Gdiplus();
  void Translate(int dx, int dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees) override;
  void Reset() override;

  Gdiplus::Matrix* GetMatrix() const { return matrix_.get(); }

 private:
  std::unique_ptr<Gdiplus::Matrix> matrix_;
};

class Path_Gdiplus : public IPath {
 public:
  Path_Gdiplus();
  void Reset() override;
  void StartFigure() override;
  void CloseFigure() override;
  void AddLine(int x1, int y1, int x2, int y2) override;
  void AddRect(const RECT& rect) override;
  void AddEllipse(const RECT& rect) override;
  void AddArc(const RECT& rect, float start_angle, float sweep_angle) override;
  void AddBezier(POINT p1, POINT p2, POINT p3, POINT p4) override;
  void AddPolygon(const POINT* points, int count) override;
  void Transform(const IMatrix& matrix) override;
  RECT GetBounds(const IPen* pen) const override;

  Gdiplus::GraphicsPath* GetPath() const { return path_.get(); }

 private:
  std::unique_ptr<Gdiplus::GraphicsPath> path_;
};

}  // namespace ui
