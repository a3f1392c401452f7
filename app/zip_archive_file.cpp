#include "app/zip_archive_file.h"

#include <windows.h>

namespace app {
namespace {

// minizip hands back what the open function returned as the stream of every
// later call; the stream here is the file handle itself.
HANDLE AsHandle(voidpf stream) { return static_cast<HANDLE>(stream); }

voidpf ZCALLBACK Open(voidpf, const void* path, int mode) {
  // Only reading is ever asked of an archive opened here.
  if (!path || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  HANDLE file = ::CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buffer, uLong size) {
  DWORD read = 0;
  if (!::ReadFile(AsHandle(stream), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
  return read;
}

uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) {
  LARGE_INTEGER position{};
  if (!::SetFilePointerEx(AsHandle(stream), LARGE_INTEGER{}, &position, FILE_CURRENT)) {
    return static_cast<ZPOS64_T>(-1);
  }
  return static_cast<ZPOS64_T>(position.QuadPart);
}

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  DWORD method = FILE_BEGIN;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
    method = FILE_CURRENT;
  } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
    method = FILE_END;
  } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
    return -1;
  }
  LARGE_INTEGER distance{};
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(AsHandle(stream), distance, nullptr, method) ? 0 : -1;
}

int ZCALLBACK Close(voidpf, voidpf stream) { return ::CloseHandle(AsHandle(stream)) ? 0 : -1; }

// Read errors already show as short reads, which minizip reports itself.
int ZCALLBACK Error(voidpf, voidpf) { return 0; }

}  // namespace

unzFile OpenZipArchive(const std::wstring& path) {
  zlib_filefunc64_def functions{};
  functions.zopen64_file = Open;
  functions.zread_file = Read;
  functions.zwrite_file = Write;
  functions.ztell64_file = Tell;
  functions.zseek64_file = Seek;
  functions.zclose_file = Close;
  functions.zerror_file = Error;
  functions.opaque = nullptr;
  return ::unzOpen2_64(path.c_str(), &functions);
}

}  // namespace app
