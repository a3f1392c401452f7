#include "ui/resources/global_resources.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>

#include <utility>

#include "base/com_ptr.h"
#include "base/startup_trace.h"
#include "base/text/trim.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/render/gdiplus_render_factory.h"
#include "ui/render/gdiplus_session.h"
#include "ui/resources/attribute_table.h"
#include "ui/resources/attribute_values.h"
#include "ui/resources/class_table.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/image_cache.h"
#include "ui/resources/image_info.h"
#include "ui/resources/language_strings.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"
#include "ui/resources/skin_archive.h"
#include "ui/resources/skin_tables.h"

namespace ui {
namespace {

struct State {
  std::wstring resource_path;
  std::unique_ptr<SkinArchive> archive;
  std::unique_ptr<IRenderFactory> render_factory;
  CreateControlCallback create_control;
  int dpi_scale = 100;
  bool adapt_dpi = false;
  std::unique_ptr<GdiplusSession> gdiplus;
};

// What the registry itself owns; the tables a skin fills are in
// skin_tables.cpp. It lives for the whole process and is deliberately never
// destroyed: images and fonts may still be held by controls while static
// destructors run, and nothing here needs tearing down at exit.
State& GetState() {
  static State* state = new State;
  return *state;
}

// A locked view of a global block, unlocked again on every path.
class GlobalLockView {
 public:
  explicit GlobalLockView(HGLOBAL block) : block_(block), data_(::GlobalLock(block)) {}
  ~GlobalLockView() {
    if (data_) ::GlobalUnlock(block_);
  }
  GlobalLockView(const GlobalLockView&) = delete;
  GlobalLockView& operator=(const GlobalLockView&) = delete;
  const void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

void ApplyFont(const MarkupNode& node) {
  FontTable& fonts = SkinFonts();
  std::wstring id = node.GetAttributeValue(L"id");
  const std::wstring face = node.GetAttributeValue(L"name");
  if (face.empty()) return;
  if (id.empty()) id = std::to_wstring(fonts.GetFontCount());
  fonts.AddFont(id, face, ParseIntAttribute(node.GetAttributeValue(L"size")),
                ParseBoolAttribute(node.GetAttributeValue(L"bold")),
                ParseBoolAttribute(node.GetAttributeValue(L"underline")),
                ParseBoolAttribute(node.GetAttributeValue(L"italic")),
                ParseBoolAttribute(node.GetAttributeValue(L"default")));
}

void ApplyTextColor(const MarkupNode& node) {
  const std::wstring name = node.GetAttributeValue(L"name");
  if (name.empty()) return;
  SkinColors().AddColor(name, node.GetAttributeValue(L"value"));
}

}  // namespace

// [SECTION] Skin archive

bool GlobalResources::OpenSkinArchive(const std::string& password) {
  CloseSkinArchive();
  GetState().archive = SkinArchive::OpenResource(::GetModuleHandleW(nullptr), L"THEME",
                                                 kSkinArchiveId, password);
  return IsSkinArchiveOpen();
}

bool GlobalResources::OpenSkinArchive(const void* data, size_t size, const std::string& password) {
  CloseSkinArchive();
  GetState().archive = SkinArchive::OpenMemory(data, size, password);
  return IsSkinArchiveOpen();
}

void GlobalResources::CloseSkinArchive() { GetState().archive.reset(); }

bool GlobalResources::IsSkinArchiveOpen() { return GetState().archive != nullptr; }

std::wstring GlobalResources::ToArchiveName(const std::wstring& path) {
  std::wstring slashed = path;
  for (wchar_t& c : slashed) {
    if (c == L'\\') c = L'/';
  }
  std::wstring single;
  single.reserve(slashed.size());
  for (size_t i = 0; i < slashed.size(); ++i) {
    single.push_back(slashed[i]);
    if (slashed[i] == L'/' && i + 1 < slashed.size() && slashed[i + 1] == L'/') ++i;
  }

  std::wstring name;
  name.reserve(single.size());
  bool segment_start = true;
  size_t i = 0;
  while (i < single.size()) {
    if (segment_start) {
      if (single[i] == L'/') {
        ++i;
        continue;
      }
      if (single.compare(i, 2, L"./") == 0) {
        i += 2;
        continue;
      }
      if (single.compare(i, 3, L"../") == 0) {
        i += 3;
        // Drop the segment before, back to the previous "/" or the start.
        if (!name.empty()) name.pop_back();
        const size_t slash = name.rfind(L'/');
        name.erase(slash == std::wstring::npos ? 0 : slash + 1);
        continue;
      }
    }
    name.push_back(single[i]);
    segment_start = (single[i] == L'/');
    ++i;
  }
  return name;
}

base::unique_hglobal GlobalResources::ReadArchiveEntry(const std::wstring& path, size_t* size) {
  if (size) *size = 0;
  State& state = GetState();
  if (!state.archive || path.empty()) return {};
  return state.archive->ReadEntry(ToArchiveName(path), size);
}

// [SECTION] Start-up and shut-down

bool GlobalResources::Startup(const std::wstring& resource_root, CreateControlCallback callback,
                              bool adapt_dpi, const std::wstring& theme_folder,
                              const std::wstring& language_folder) {
  State& state = GetState();
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
  State& state = GetState();
  CloseSkinArchive();
  state.render_factory.reset();
  SkinFonts().RemoveAllFonts();
  state.gdiplus.reset();
}

// [SECTION] Skin documents and global.xml

const std::wstring& GlobalResources::GetResourcePath() { return GetState().resource_path; }

void GlobalResources::SetResourcePath(const std::wstring& path) {
  GetState().resource_path = path;
}

bool GlobalResources::ReadSkinDocument(const std::wstring& name, MarkupDocument* document) {
  base::StartupCost cost("skin markup reading and parsing");
  State& state = GetState();
  if (state.archive) {
    size_t size = 0;
    base::unique_hglobal block = ReadArchiveEntry(state.resource_path + name, &size);
    if (block) {
      GlobalLockView view(block.get());
      return view.data() != nullptr && document->LoadFromMemory(view.data(), size);
    }
  }
  const std::wstring path =
      ::PathIsRelativeW(name.c_str()) ? state.resource_path + name : name;
  return document->LoadFromFile(path);
}

void GlobalResources::ApplyGlobalDocument(const MarkupDocument& document) {
  ApplyGlobalDocument(document.GetRoot());
}

void GlobalResources::ApplyGlobalDocument(const MarkupNode& root) {
  if (!root.IsValid()) return;
  // global.xml's own attributes: the colours every control falls back to.
  static const attribute_setters::Table<GlobalTextColors> kGlobalSetters = {
      {L"defaultfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) { colors.normal_name = value; }},
      {L"disabledfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) { colors.disabled_name = value; }},
      {L"linkfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.link = SkinColors().LookupColor(value);
       }},
      {L"linkhoverfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.link_hover = SkinColors().LookupColor(value);
       }},
      {L"selectedcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.selected = SkinColors().LookupColor(value);
       }},
  };
  const int count = root.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    attribute_setters::Apply(kGlobalSetters, SkinTextColors(),
                             std::wstring(root.GetAttributeName(i)),
                             root.GetAttributeValue(i));
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::wstring_view tag = node.GetName();
    if (tag == L"Font") {
      ApplyFont(node);
    } else if (tag == L"TextColor") {
      ApplyTextColor(node);
    } else if (tag == L"Class") {
      const std::wstring name = node.GetAttributeValue(L"name");
      if (!name.empty()) AddClass(name, ClassAttributesOf(node));
    }
  }
}

// [SECTION] Classes

void GlobalResources::AddClass(const std::wstring& name, const std::wstring& attributes) {
  SkinClasses().Add(name, attributes);
}

std::wstring GlobalResources::LookupClass(const std::wstring& name) {
  return SkinClasses().Lookup(name);
}

std::wstring GlobalResources::ClassAttributesOf(const MarkupNode& class_element) {
  std::wstring text;
  const int count = class_element.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const std::wstring_view name = class_element.GetAttributeName(i);
    const std::wstring_view value = class_element.GetAttributeValue(i);
    if (name == L"name") continue;
    if (name == L"value") {
      // A ready-made attribute list.
      text.append(value);
    } else {
      // "_value" is how a class passes a "value" attribute on to its controls.
      text.append(L" ").append(name == L"_value" ? L"value" : name).append(L"=\"");
      text.append(value).append(L"\"");
    }
  }
  return std::wstring(base::TrimBlanks(text, base::Blanks::kMarkupSpace));
}

// [SECTION] Images

std::wstring GlobalResources::NormalizeImagePath(const std::wstring& path) {
  std::wstring result;
  result.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    result.push_back(c);
    if (c == L'\\' && i + 1 < path.size() && (path[i + 1] == L'\\' || path[i + 1] == L'/')) ++i;
  }
  return result;
}

std::shared_ptr<ImageInfo> GlobalResources::LookupImage(const std::wstring& path) {
  State& state = GetState();
  const std::wstring file = NormalizeImagePath(path);
  if (file.empty()) return nullptr;
  const std::wstring key = state.archive ? ToArchiveName(file) : file;
  return SkinImages().Lookup(key, [&]() -> std::unique_ptr<ImageInfo> {
    base::StartupCost cost("image reading and decoding");
    if (state.archive) {
      size_t size = 0;
      base::unique_hglobal block = ReadArchiveEntry(file, &size);
      if (block) {
        base::com_ptr<IStream> stream;
        // The stream takes the block over and frees it when released.
        if (SUCCEEDED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) {
          block.release();
          ULARGE_INTEGER exact{};
          exact.QuadPart = size;
          stream->SetSize(exact);
          if (auto image = ImageInfo::DecodeStream(stream.get())) return image;
        }
      }
    }
    return ImageInfo::DecodeFile(file);
  });
}

// [SECTION] Language strings, DPI, render factory

std::wstring GlobalResources::LookupString(const std::wstring& id) {
  return SkinStrings().Lookup(id);
}

int GlobalResources::GetDpiScale() { return GetState().dpi_scale; }
bool GlobalResources::IsDpiAdapted() { return GetState().adapt_dpi; }
void GlobalResources::SetDpiScale(int percent) {
  State& state = GetState();
  if (!state.adapt_dpi || percent <= 0) return;
  state.dpi_scale = percent;
  SkinFonts().SetDpiAdaptation(true, percent);
}
int GlobalResources::ScaleDpi(int pixels) {
  const State& state = GetState();
  return state.adapt_dpi ? ::MulDiv(pixels, state.dpi_scale, 100) : pixels;
}

IRenderFactory* GlobalResources::GetRenderFactory() { return GetState().render_factory.get(); }

void GlobalResources::SetRenderFactory(std::unique_ptr<IRenderFactory> factory) {
  GetState().render_factory = std::move(factory);
}

const CreateControlCallback& GlobalResources::GetCreateControlCallback() {
  return GetState().create_control;
}

}  // namespace ui
