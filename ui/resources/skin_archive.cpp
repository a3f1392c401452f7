#include "ui/resources/skin_archive.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <map>
#include <vector>

#include "ioapi.h"
#include "unzip.h"

#include "base/text/text_conversion.h"

namespace ui {
namespace {

// [SECTION] Memory I/O layer: minizip reads the archive through these
// callbacks straight from the bytes it was given (a mapped resource).

struct MemoryFile {
  const unsigned char* data = nullptr;
  ZPOS64_T size = 0;
};

struct MemoryStream {
  const MemoryFile* file = nullptr;
  ZPOS64_T position = 0;
};

voidpf ZCALLBACK MemoryOpen(voidpf opaque, const void* /*filename*/, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  auto* stream = new (std::nothrow) MemoryStream;
  if (stream) stream->file = static_cast<const MemoryFile*>(opaque);
  return stream;
}

uLong ZCALLBACK MemoryRead(voidpf /*opaque*/, voidpf handle, void* buffer, uLong size) {
  auto* stream = static_cast<MemoryStream*>(handle);
  const ZPOS64_T left =
      stream->position < stream->file->size ? stream->file->size - stream->position : 0;
  const uLong count = left < size ? static_cast<uLong>(left) : size;
  std::memcpy(buffer, stream->file->data + stream->position, count);
  stream->position += count;
  return count;
}

uLong ZCALLBACK MemoryWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK MemoryTell(voidpf /*opaque*/, voidpf handle) {
  return static_cast<MemoryStream*>(handle)->position;
}

long ZCALLBACK MemorySeek(voidpf /*opaque*/, voidpf handle, ZPOS64_T offset, int origin) {
  auto* stream = static_cast<MemoryStream*>(handle);
  ZPOS64_T base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = stream->file->size; break;
    default: return -1;
  }
  // Offsets are unsigned; a seek before the start wraps and lands past the end.
  const ZPOS64_T target = base + offset;
  if (target > stream->file->size) return -1;
  stream->position = target;
  return 0;
}

int ZCALLBACK MemoryClose(voidpf /*opaque*/, voidpf handle) {
  delete static_cast<MemoryStream*>(handle);
  return 0;
}

int ZCALLBACK MemoryError(voidpf, voidpf) { return 0; }

// The central directory is matched with ASCII case ignored, as zip names
// written on Windows differ in case from the paths skins use.
std::string FoldAsciiCase(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// Same limit as minizip's own name lookup: longer names are never found.
constexpr size_t kMaxEntryName = 256;

}  // namespace

struct SkinArchive::Impl {
  MemoryFile file;
  unzFile zip = nullptr;
  std::string password;
  // Folded name → position in the central directory, first entry wins.
  std::map<std::string, unz64_file_pos> index;

  ~Impl() {
    if (zip) unzClose(zip);
  }
};

SkinArchive::SkinArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SkinArchive::~SkinArchive() = default;

std::unique_ptr<SkinArchive> SkinArchive::OpenMemory(const void* data, size_t size,
                                                     const std::string& password) {
  if (data == nullptr || size == 0) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->file.data = static_cast<const unsigned char*>(data);
  impl->file.size = size;
  impl->password = password;

  zlib_filefunc64_def functions{};
  functions.zopen64_file = MemoryOpen;
  functions.zread_file = MemoryRead;
  functions.zwrite_file = MemoryWrite;
  functions.ztell64_file = MemoryTell;
  functions.zseek64_file = MemorySeek;
  functions.zclose_file = MemoryClose;
  functions.zerror_file = MemoryError;
  functions.opaque = &impl->file;
  impl->zip = unzOpen2_64("theme", &functions);
  if (impl->zip == nullptr) return nullptr;

  for (int status = unzGoToFirstFile(impl->zip); status == UNZ_OK;
       status = unzGoToNextFile(impl->zip)) {
    char name[kMaxEntryName + 1] = {};
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(impl->zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      continue;
    }
    if (info.size_filename >= kMaxEntryName) continue;
    unz64_file_pos position{};
    if (unzGetFilePos64(impl->zip, &position) != UNZ_OK) continue;
    impl->index.emplace(FoldAsciiCase(name), position);
  }
  return std::unique_ptr<SkinArchive>(new SkinArchive(std::move(impl)));
}

std::unique_ptr<SkinArchive> SkinArchive::OpenResource(HMODULE module, const wchar_t* type, int id,
                                                       const std::string& password) {
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const DWORD size = ::SizeofResource(module, resource);
  if (loaded == nullptr || size == 0) return nullptr;
  // Resources stay mapped as long as the module is loaded: read in place.
  const void* data = ::LockResource(loaded);
  return OpenMemory(data, size, password);
}

bool SkinArchive::Locate(const std::wstring& name) {
  if (name.empty()) return false;
  const std::string key = FoldAsciiCase(base::Utf8FromWide(name));
  if (key.size() >= kMaxEntryName) return false;
  auto it = impl_->index.find(key);
  if (it == impl_->index.end()) return false;
  unz64_file_pos position = it->second;
  return unzGoToFilePos64(impl_->zip, &position) == UNZ_OK;
}

bool SkinArchive::HasEntry(const std::wstring& name) { return Locate(name); }

base::unique_hglobal SkinArchive::ReadEntry(const std::wstring& name, size_t* size) {
  if (size) *size = 0;
  if (!Locate(name)) return {};
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(impl_->zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return {};
  }
  // One block per entry, whole; entries beyond what a 32-bit process can hold fail.
  if (info.uncompressed_size >= 0x7FFFFFFF) return {};
  const size_t length = static_cast<size_t>(info.uncompressed_size);
  base::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length > 0 ? length : 1));
  if (!block) return {};
  void* bytes = ::GlobalLock(block.get());
  if (bytes == nullptr) return {};

  bool ok = unzOpenCurrentFilePassword(
                impl_->zip, impl_->password.empty() ? nullptr : impl_->password.c_str()) == UNZ_OK;
  if (ok) {
    size_t done = 0;
    while (ok && done < length) {
      const unsigned chunk = static_cast<unsigned>(std::min<size_t>(length - done, 1u << 20));
      const int read = unzReadCurrentFile(impl_->zip, static_cast<char*>(bytes) + done, chunk);
      if (read <= 0) ok = false;
      else done += static_cast<size_t>(read);
    }
    // Closing checks the CRC: a corrupted entry is not handed out.
    if (unzCloseCurrentFile(impl_->zip) != UNZ_OK) ok = false;
  }
  ::GlobalUnlock(block.get());
  if (!ok) return {};
  if (size) *size = length;
  return block;
}

}  // namespace ui
