#include "app/install/extract/zip_archive_file.h"

#include <cstdio>

namespace app {
namespace {

// minizip reads its headers a few bytes at a time: a buffered stream keeps
// that from turning into a system call per field.
constexpr size_t kStreamBufferSize = 64 * 1024;

FILE* AsFile(voidpf stream) { return static_cast<FILE*>(stream); }

voidpf ZCALLBACK Open(voidpf, const void* path, int mode) {
  // Only reading is ever asked of an archive opened here.
  if (!path || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  FILE* file = ::_wfopen(static_cast<const wchar_t*>(path), L"rb");
  if (file) std::setvbuf(file, nullptr, _IOFBF, kStreamBufferSize);
  return file;
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(std::fread(buffer, 1, size, AsFile(stream)));
}

uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) {
  return static_cast<ZPOS64_T>(::_ftelli64(AsFile(stream)));
}

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  int whence = SEEK_SET;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
    whence = SEEK_CUR;
  } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
    whence = SEEK_END;
  } else if (origin != ZLIB_FILEFUNC_SEEK_SET) {
    return -1;
  }
  return ::_fseeki64(AsFile(stream), static_cast<long long>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK Close(voidpf, voidpf stream) { return std::fclose(AsFile(stream)) == 0 ? 0 : -1; }

int ZCALLBACK Error(voidpf, voidpf stream) { return std::ferror(AsFile(stream)); }

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
