// Start-up and shut-down, and the settings they make: the resource path, the
// DPI scale, the render factory and the control-creation callback. The skin
// archive and the files read through it are in skin_files.cpp, global.xml's
// application in global_document.cpp.
#include "ui/resources/global_resources.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "base/unique_any.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/render/gdiplus_render_factory.h"
#include "ui/render/gdiplus_session.h"
#include "ui/resources/global_resources_state.h"
#include "ui/resources/language_strings.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/skin_archive.h"
#include "ui/resources/skin_tables.h"

namespace ui {

GlobalResourcesState& GetGlobalResourcesState() {
  static GlobalResourcesState* state = new GlobalResourcesState;
  return *state;
}

// [SECTION] Start-up and shut-down

bool GlobalResources::Startup(const std::wstring& resource_root, CreateControlCallback callback,
                              bool adapt_dpi, const std::wstring& theme_folder,
                              const std::wstring& language_folder) {
  GlobalResourcesState& state = GetGlobalResourcesState();
  // A restart begins from empty tables, as the first start does.
  state.render_factory.reset();
  ResetSkinTables();

  state.adapt_dpi = adapt_dpi;
  state.dpi_scale = 100;
  if (adapt_dpi) {
    base::unique_hdc_window screen = base::unique_hdc_window::For(nullptr);
    if (screen) state.dpi_scale = ::MulDiv(::GetDeviceCaps(screen.get(), LOGPIXELSX), 100, 96);
  }
  SkinFonts().SetDpiAdaptation(adapt_dpi, state.dpi_scale);

  SetRenderFactory(std::make_unique<RenderFactory_GdiPlus>(&SkinFonts(), &SkinColors()));

  std::wstring path = resource_root + theme_folder;
  if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path.push_back(L'\\');
  state.resource_path = path;

  state.create_control = std::move(callback);

  MarkupDocument global;
  if (ReadSkinDocument(L"global.xml", &global)) ApplyGlobalDocument(global);

  const std::wstring language_file = resource_root + language_folder + L"\\gdstrings.ini";
  if (state.archive) {
    // With an archive the language file comes from it alone.
    size_t size = 0;
    base::unique_hglobal block = ReadArchiveEntry(language_file, &size);
    if (block) {
      GlobalLockView view(block.get());
      if (view.data()) SkinStrings().LoadFromMemory(view.data(), size);
    }
  } else {
    SkinStrings().LoadFromFile(language_file);
  }

  if (!state.gdiplus || !state.gdiplus->IsStarted()) {
    state.gdiplus.reset();
    state.gdiplus = std::make_unique<GdiplusSession>();
  }
  ::InitCommonControls();
  return state.gdiplus->IsStarted();
}

void GlobalResources::Shutdown() {
  GlobalResourcesState& state = GetGlobalResourcesState();
  CloseSkinArchive();
  state.render_factory.reset();
  SkinFonts().RemoveAllFonts();
  state.gdiplus.reset();
}

// [SECTION] Settings

const std::wstring& GlobalResources::GetResourcePath() {
  return GetGlobalResourcesState().resource_path;
}

void GlobalResources::SetResourcePath(const std::wstring& path) {
  GetGlobalResourcesState().resource_path = path;
}

std::wstring GlobalResources::LookupString(const std::wstring& id) {
  return SkinStrings().Lookup(id);
}

int GlobalResources::GetDpiScale() { return GetGlobalResourcesState().dpi_scale; }
bool GlobalResources::IsDpiAdapted() { return GetGlobalResourcesState().adapt_dpi; }
void GlobalResources::SetDpiScale(int percent) {
  GlobalResourcesState& state = GetGlobalResourcesState();
  if (!state.adapt_dpi || percent <= 0) return;
  state.dpi_scale = percent;
  SkinFonts().SetDpiAdaptation(true, percent);
}
int GlobalResources::ScaleDpi(int pixels) {
  const GlobalResourcesState& state = GetGlobalResourcesState();
  return state.adapt_dpi ? ::MulDiv(pixels, state.dpi_scale, 100) : pixels;
}

IRenderFactory* GlobalResources::GetRenderFactory() {
  return GetGlobalResourcesState().render_factory.get();
}

void GlobalResources::SetRenderFactory(std::unique_ptr<IRenderFactory> factory) {
  GetGlobalResourcesState().render_factory = std::move(factory);
}

const CreateControlCallback& GlobalResources::GetCreateControlCallback() {
  return GetGlobalResourcesState().create_control;
}

}  // namespace ui
