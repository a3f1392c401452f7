// The skin archive and the files read through it: archive entries, skin
// documents and images, each from the open archive first, then from disk.
#include "ui/resources/global_resources.h"

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include "base/com_ptr.h"
#include "base/startup_trace.h"
#include "base/unique_any.h"
#include "ui/resources/global_resources_state.h"
#include "ui/resources/image_cache.h"
#include "ui/resources/image_info.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/skin_archive.h"
#include "ui/resources/skin_tables.h"

namespace ui {

// [SECTION] Skin archive

bool GlobalResources::OpenSkinArchive(const std::string& password) {
  CloseSkinArchive();
  GetGlobalResourcesState().archive = SkinArchive::OpenResource(
      ::GetModuleHandleW(nullptr), L"THEME", kSkinArchiveId, password);
  return IsSkinArchiveOpen();
}

bool GlobalResources::OpenSkinArchive(const void* data, size_t size, const std::string& password) {
  CloseSkinArchive();
  GetGlobalResourcesState().archive = SkinArchive::OpenMemory(data, size, password);
  return IsSkinArchiveOpen();
}

void GlobalResources::CloseSkinArchive() { GetGlobalResourcesState().archive.reset(); }

bool GlobalResources::IsSkinArchiveOpen() { return GetGlobalResourcesState().archive != nullptr; }

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
  GlobalResourcesState& state = GetGlobalResourcesState();
  if (!state.archive || path.empty()) return {};
  return state.archive->ReadEntry(ToArchiveName(path), size);
}

// [SECTION] Skin documents

bool GlobalResources::ReadSkinDocument(const std::wstring& name, MarkupDocument* document) {
  base::StartupCost cost("skin markup reading and parsing");
  GlobalResourcesState& state = GetGlobalResourcesState();
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
  GlobalResourcesState& state = GetGlobalResourcesState();
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

}  // namespace ui
