#include "ui/render/gdiplus_render_objects.h"

#include <vector>

namespace ui {

namespace {
Gdiplus::Color ToColor(DWORD argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }
}  // namespace

Pen_GdiPlus::Pen_GdiPlus(DWORD argb, int width)
    : color_(argb),
      width_(width),
      pen_(std::make_unique<Gdiplus::Pen>(ToColor(argb), static_cast<Gdiplus::REAL>(width))) {}

std::unique_ptr<IPen> Pen_GdiPlus::Clone() const {
  auto copy = std::make_unique<Pen_GdiPlus>(color_, width_);
  copy->SetDashStyle(dash_);
  return copy;
}

void Pen_GdiPlus::SetWidth(int width) {
  width_ = width;
  pen_->SetWidth(static_cast<Gdiplus::REAL>(width));
}

void Pen_GdiPlus::SetColor(DWORD argb) {
  color_ = argb;
  pen_->SetColor(ToColor(argb));
}

void Pen_GdiPlus::SetDashStyle(DashStyle style) {
  dash_ = style;
  Gdiplus::DashStyle gdiplus_style = Gdiplus::DashStyleSolid;
  switch (style) {
    case DashStyle::kSolid: gdiplus_style = Gdiplus::DashStyleSolid; break;
    case DashStyle::kDash: gdiplus_style = Gdiplus::DashStyleDash; break;
    case DashStyle::kDot: gdiplus_style = Gdiplus::DashStyleDot; break;
    case DashStyle::kDashDot: gdiplus_style = Gdiplus::DashStyleDashDot; break;
    case DashStyle::kDashDotDot: gdiplus_style = Gdiplus::DashStyleDashDotDot; break;
  }
  pen_->SetDashStyle(gdiplus_style);
}

Brush_Gdiplus::Brush_Gdiplus(DWORD argb)
    : color_(argb), brush_(std::make_unique<Gdiplus::SolidBrush>(ToColor(argb))) {}

std::unique_ptr<IBrush> Brush_Gdiplus::Clone() const {
  return std::make_unique<Brush_Gdiplus>(color_);
}

Matrix_Gdiplus::Matrix_Gdiplus() : matrix_(std::make_unique<Gdiplus::Matrix>()) {}

void Matrix_Gdiplus::Translate(int dx, int dy) {
  matrix_->Translate(static_cast<Gdiplus::REAL>(dx), static_cast<Gdiplus::REAL>(dy));
}
void Matrix_Gdiplus::Scale(float sx, float sy) { matrix_->Scale(sx, sy); }
void Matrix_Gdiplus::Rotate(float degrees) { matrix_->Rotate(degrees); }
void Matrix_Gdiplus::Reset() { matrix_->Reset(); }

Path_Gdiplus::Path_Gdiplus() : path_(std::make_unique<Gdiplus::GraphicsPath>()) {}

void Path_Gdiplus::Reset() { path_->Reset(); }
void Path_Gdiplus::StartFigure() { path_->StartFigure(); }
void Path_Gdiplus::CloseFigure() { path_->CloseFigure(); }

void Path_Gdiplus::AddLine(int x1, int y1, int x2, int y2) { path_->AddLine(x1, y1, x2, y2); }

void Path_Gdiplus::AddRect(const RECT& rect) {
  path_->AddRectangle(
      Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
}

void Path_Gdiplus::AddEllipse(const RECT& rect) {
  path_->AddEllipse(
      Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
}

void Path_Gdiplus::AddArc(const RECT& rect, float start_angle, float sweep_angle) {
  path_->AddArc(Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                start_angle, sweep_angle);
}

void Path_Gdiplus::AddBezier(POINT p1, POINT p2, POINT p3, POINT p4) {
  path_->AddBezier(Gdiplus::Point(p1.x, p1.y), Gdiplus::Point(p2.x, p2.y),
                   Gdiplus::Point(p3.x, p3.y), Gdiplus::Point(p4.x, p4.y));
}

void Path_Gdiplus::AddPolygon(const POINT* points, int count) {
  if (!points || count < 3) return;
  std::vector<Gdiplus::Point> converted;
  converted.reserve(count);
  for (int i = 0; i < count; ++i) converted.emplace_back(points[i].x, points[i].y);
  path_->AddPolygon(converted.data(), count);
}

void Path_Gdiplus::Transform(const IMatrix& matrix) {
  if (auto* m = dynamic_cast<const Matrix_Gdiplus*>(&matrix)) path_->Transform(m->GetMatrix());
}

RECT Path_Gdiplus::GetBounds(const IPen* pen) const {
  auto* gdiplus_pen = dynamic_cast<const Pen_GdiPlus*>(pen);
  Gdiplus::Rect bounds;
  path_->GetBounds(&bounds, nullptr, gdiplus_pen ? gdiplus_pen->GetPen() : nullptr);
  return RECT{bounds.X, bounds.Y, bounds.X + bounds.Width, bounds.Y + bounds.Height};
}

}  // namespace ui
