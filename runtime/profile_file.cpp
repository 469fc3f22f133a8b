#include "profile_file.h"

#include <vector>

#include "ini_entry.h"

namespace rt {
namespace {

// The file the private-profile layer opens for `file`: a bare name lies in the Windows
// directory, anything with a path is taken as it is.
std::string ProfilePath(const std::string& file) {
  if (file.empty()) return file;
  const bool hasPath = file.find_first_of("\\/") != std::string::npos || (file.size() > 1 && file[1] == ':');
  if (hasPath) return file;
  char dir[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(dir) + "\\" + file : file;
}

// The scratch file beside `path` that the new content is written to before it replaces the
// file; one fixed name, so a leftover from a killed process is simply written over.
std::string ScratchPath(const std::string& path) {
  if (path.size() < kIniFileNameCapacity) return path + "~";
  std::string s = path.substr(0, kIniFileNameCapacity);
  s.back() = s.back() == '~' ? '_' : '~';
  return s;
}

// Far more than any list; a larger file is left alone rather than read into memory.
constexpr DWORD kLargestFile = 64u << 20;

bool ReadWholeFile(const std::string& path, std::string& out) {
  HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(in, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= kLargestFile;
  if (ok) {
    out.assign(size, '\0');
    DWORD n = 0;
    ok = size == 0 || (ReadFile(in, out.data(), size, &n, nullptr) && n == size);
  }
  CloseHandle(in);
  return ok;
}

void RemoveScratch(const std::string& scratch) {
  SetFileAttributesA(scratch.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(scratch.c_str());
}

// Writes `bytes` beside `path`, flushed, and renames the result over `path`. The
// private-profile layer keeps files it has read in a cache that it checks against the time
// stamp of the last write alone, and two writes within one tick of the file system's clock
// get the same stamp: the new file gets a later stamp than the one it replaces, so that no
// reader goes on seeing the old content.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes, DWORD attributes, const FILETIME& replaced) {
  const std::string scratch = ScratchPath(path);
  HANDLE out = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    // A leftover of a killed process with other attributes is not written over.
    RemoveScratch(scratch);
    out = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  FILETIME stamp{};
  if (ok && GetFileTime(out, nullptr, nullptr, &stamp) && CompareFileTime(&stamp, &replaced) <= 0) {
    ULARGE_INTEGER later{{replaced.dwLowDateTime, replaced.dwHighDateTime}};
    later.QuadPart += 1;
    stamp = FILETIME{later.LowPart, later.HighPart};
    ok = SetFileTime(out, nullptr, nullptr, &stamp);
  }
  ok = FlushFileBuffers(out) && ok;
  ok = CloseHandle(out) && ok;
  ok = ok && MoveFileExA(scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) RemoveScratch(scratch);
  return ok;
}

}  // namespace

ProfileEdit::ProfileEdit(std::string_view file) : file_(CutTo(TrimRight(file), kIniFileNameCapacity)) {
  path_ = ProfilePath(file_);
  if (path_.empty()) return;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    readable_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return;
  }
  attributes_ = data.dwFileAttributes;
  lastWrite_ = data.ftLastWriteTime;
  if (attributes_ & FILE_ATTRIBUTE_DIRECTORY) return;
  std::string bytes;
  readable_ = ReadWholeFile(path_, bytes);
  if (readable_) image_ = ProfileImage::FromBytes(bytes);
}

void ProfileEdit::Commit() {
  if (!readable_ || !image_.changed()) return;
  DWORD keep = FILE_ATTRIBUTE_NORMAL;
  if (attributes_ != INVALID_FILE_ATTRIBUTES) {
    if (attributes_ & FILE_ATTRIBUTE_READONLY) return;
    keep = attributes_ & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (keep == 0) keep = FILE_ATTRIBUTE_NORMAL;
  }
  ReplaceWholeFile(path_, image_.Bytes(), keep, lastWrite_);
}

}  // namespace rt
