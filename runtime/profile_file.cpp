#include "profile_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
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

class FileHandle {
 public:
  explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle& operator=(HANDLE h) {
    Close();
    h_ = h;
    return *this;
  }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  HANDLE Release() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void Close() {
    if (*this) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

// Another process may hold the file for a moment (a reader, a scanner, an indexer): an open
// or a rename it refuses is tried again after a pause, for at most this long in one Commit.
constexpr DWORD kPatienceMs = 400;

class Patience {
 public:
  // Waits a little and returns true when `error` says another process holds the file and
  // time is left. A refused rename is also reported as access denied.
  bool Retry(DWORD error, bool renaming) {
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (renaming && error == ERROR_ACCESS_DENIED);
    if (!held || spent_ >= kPatienceMs) return false;
    const DWORD pause = std::min(step_, kPatienceMs - spent_);
    Sleep(pause);
    spent_ += pause;
    step_ *= 2;
    return true;
  }

 private:
  DWORD spent_ = 0, step_ = 5;
};

// A file larger than this is not read into memory (the private-profile layer, too, reads a
// file whole before it changes a key of it); a write to it is dropped.
constexpr std::size_t kLargestFile = std::size_t{1} << 30;

// Reads an open file whole from where it stands (its start); false when it cannot be read
// whole, so that a short read never becomes the content of a replacement. `expected` is the
// size the file was last seen with: it is read until its end all the same.
bool ReadWholeFile(HANDLE in, ULONGLONG expected, std::string& out) {
  if (expected > kLargestFile) return false;
  try {
    out.assign(static_cast<std::size_t>(expected) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
      if (done == out.size()) {
        if (out.size() > kLargestFile) return false;
        out.resize(std::min<std::size_t>(out.size() * 2, kLargestFile + 1));
      }
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 24));
      if (!ReadFile(in, out.data() + done, want, &n, nullptr)) return false;
      if (n == 0) break;
      done += n;
    }
    out.resize(done);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    if (!WriteFile(h, bytes.data() + done, want, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

// Writes `bytes` into the open file itself from its start, cut to their length, flushed:
// what the key-by-key road leaves, with its risk of a half-written file.
bool WriteInPlace(HANDLE file, const std::string& bytes) {
  LARGE_INTEGER start{};
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes) && SetEndOfFile(file) &&
         FlushFileBuffers(file);
}

// Opens a file to write it, through a link if it is one: the access check of the file
// itself (its owner, its access list), not only of its read-only mark.
HANDLE OpenForWrite(const std::string& path, DWORD disposition, Patience& patience, DWORD& error) {
  for (;;) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (h != INVALID_HANDLE_VALUE || !patience.Retry(error, false)) return h;
  }
}

// The file an open handle reaches, links resolved (under Wine the real Unix path of a
// symbolic link's target), as a path the ANSI calls take; empty when it cannot be told or
// holds a character the ANSI calls cannot name. (Asked in UTF-16: the ANSI call asks twice.)
std::string FinalPath(HANDLE h) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  std::wstring wide(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, wide.data(), static_cast<DWORD>(wide.size()), kFlags);
  if (n >= wide.size()) {
    wide.assign(n + 1, L'\0');
    n = GetFinalPathNameByHandleW(h, wide.data(), static_cast<DWORD>(wide.size()), kFlags);
  }
  if (n == 0 || n >= wide.size()) return {};
  const UINT codePage = AreFileApisANSI() ? GetACP() : GetOEMCP();
  const bool utf8 = codePage == CP_UTF8;
  const DWORD strict = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(codePage, strict, wide.data(), static_cast<int>(n), nullptr, 0, nullptr,
                                       utf8 ? nullptr : &lossy);
  if (size <= 0 || lossy) return {};
  std::string path(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, strict, wide.data(), static_cast<int>(n), path.data(), size, nullptr, nullptr);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

// The owner and the access list of a file, in a form that compares: a new file in the same
// folder that gets other ones must not take the file's place.
std::string SecurityOf(HANDLE h) {
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  // One call for the usual descriptor; a second one only for a larger one.
  std::vector<BYTE> sd(512);
  DWORD need = 0;
  if (!GetKernelObjectSecurity(h, what, sd.data(), static_cast<DWORD>(sd.size()), &need)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || need <= sd.size()) return "unknown";
    sd.resize(need);
    if (!GetKernelObjectSecurity(h, what, sd.data(), need, &need)) return "unknown";
  }
  std::string out;
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (GetSecurityDescriptorOwner(sd.data(), &owner, &defaulted) && owner)
    out.assign(static_cast<const char*>(owner), GetLengthSid(owner));
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted)) return "unknown";
  if (!present || !dacl) return out + "|all";
  out += "|";
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace))) out.append(reinterpret_cast<const char*>(ace), ace->AceSize);
  }
  return out;
}

// Scratch files are named after the file they replace: "<file>~", the writing process's id
// and a try number in 16 hex digits, ".tmp". No other program makes such names, and an
// editor's backup "<file>~" is not one.
constexpr unsigned kScratchTries = 8;
constexpr std::size_t kScratchTail = 1 + 16 + 4;

std::string ScratchName(const std::string& target, unsigned attempt) {
  char tail[kScratchTail + 1];
  std::snprintf(tail, sizeof tail, "~%08lX%08X.tmp", GetCurrentProcessId(), attempt);
  return target + tail;
}

// Whether `name` is a scratch name of the file named `base`; if so, `pid` is its writer.
bool IsScratchName(const std::string& name, const std::string& base, DWORD& pid) {
  if (name.size() != base.size() + kScratchTail || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(),
                                                                   static_cast<int>(base.size()), base.data(),
                                                                   static_cast<int>(base.size())) != CSTR_EQUAL)
    return false;
  const std::string tail = name.substr(base.size());
  if (tail[0] != '~' || lstrcmpiA(tail.substr(17).c_str(), ".tmp") != 0) return false;
  for (std::size_t i = 1; i <= 16; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(tail[i]))) return false;
  pid = std::strtoul(tail.substr(1, 8).c_str(), nullptr, 16);
  return true;
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

// The number of names (hard links) of an open file, 0 when it cannot be told. (Asked alone:
// GetFileInformationByHandle also looks up the volume's serial number, which takes Wine
// milliseconds.)
DWORD LinksOf(HANDLE h) {
  FILE_STANDARD_INFO info{};
  return GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) && !info.Directory ? info.NumberOfLinks : 0;
}

// Removes the file an open handle reaches, through the handle: never a name looked up again.
void RemoveThrough(HANDLE h) {
  FILE_DISPOSITION_INFO gone{TRUE};
  SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
}

// A scratch file beside `target`, made new (CREATE_NEW never opens an existing name nor
// follows a link), open so that it can be renamed while open and removed through its handle.
HANDLE MakeScratch(const std::string& target, DWORD attributes, std::string& name) {
  for (unsigned attempt = 0; attempt < kScratchTries; ++attempt) {
    name = ScratchName(target, attempt);
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE | DELETE | READ_CONTROL, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           attributes, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD error = GetLastError();
    // A name that is taken, by anything (a directory of that name is refused as access denied).
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
  }
  return INVALID_HANDLE_VALUE;
}

constexpr LONGLONG kLeftoverAge = LONGLONG{2} * 60 * 10000000;  // two minutes, in 100 ns

// Scratch files of processes killed between making one and renaming it are removed when the
// same file is first replaced by a later process (once per process and file: a process's own
// failed scratch files are removed at once, so only killed processes leave any): only names
// of the scratch pattern whose writer no longer runs and that were last written minutes ago
// (a process id tells nothing of a writer on another machine or under another Wine server,
// and a live scratch file lives for less than a second), and only plain files with one
// link, reached by their own name (a symbolic link, which under Wine opens as its target,
// is left alone).
void RemoveLeftovers(const std::string& target) {
  {
    static std::mutex swept;
    static std::set<std::string> done;
    std::string key = target;
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    std::lock_guard lock(swept);
    if (!done.insert(key).second) return;
  }
  const std::size_t slash = target.find_last_of("\\/");
  if (slash == std::string::npos) return;
  const std::string folder = target.substr(0, slash + 1), base = target.substr(slash + 1);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const LONGLONG before = static_cast<LONGLONG>(ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart) - kLeftoverAge;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((target + "~*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    DWORD pid = 0;
    if (!IsScratchName(found.cFileName, base, pid) ||
        (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) || ProcessRuns(pid))
      continue;
    const std::string name = folder + found.cFileName;
    FileHandle h(CreateFileA(name.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO basic{};
    if (h && LinksOf(h.get()) == 1 && GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) &&
        !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && basic.LastWriteTime.QuadPart < before &&
        lstrcmpiA(FinalPath(h.get()).c_str(), name.c_str()) == 0)
      RemoveThrough(h.get());
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

// Writes `bytes` to a new scratch file beside `target`, flushed, and renames it over
// `target`; false, with no scratch file left, when that cannot be done: no new file can be
// made there, the new file would not get the owner and access list `security` describes,
// or the rename stays refused.
bool Replace(const std::string& target, const std::string& bytes, DWORD attributes, const std::string& security,
             Patience& patience) {
  std::string name;
  FileHandle scratch(MakeScratch(target, attributes, name));
  if (!scratch) return false;
  bool moved = false;
  if (SecurityOf(scratch.get()) == security && WriteAll(scratch.get(), bytes) && FlushFileBuffers(scratch.get())) {
    while (!(moved = MoveFileExA(name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) &&
           patience.Retry(GetLastError(), true)) {
    }
  }
  if (!moved) RemoveThrough(scratch.get());
  return moved;
}

// A file that is not there yet is made under its own name with CREATE_NEW, which never
// follows a link, in one write, flushed. Where the name is taken after all (a symbolic link
// that leads nowhere, or a file made meanwhile) the content is written through it, as the
// key-by-key road writes.
bool CreateNewFile(const std::string& path, const std::string& bytes, DWORD attributes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, attributes, nullptr));
  if (file) return WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  Patience patience;
  DWORD error = 0;
  file = OpenForWrite(path, OPEN_ALWAYS, patience, error);
  return file && WriteInPlace(file.get(), bytes);
}

// Puts `bytes` in place of the existing file `path`: replaced in one step where that keeps
// what the file is, written into it otherwise. `held` is the file opened to write when it was
// read, if it could be: asked what it is, then closed before the rename (a file open here
// could not be renamed over).
bool UpdateFile(const std::string& path, const std::string& bytes, DWORD attributes, FileHandle& held) {
  Patience patience;
  DWORD error = 0;
  FileHandle file(held.Release());
  DWORD links = file ? LinksOf(file.get()) : 0;
  if (links == 0) {  // not held, or replaced or removed since it was read: the name is opened again
    file = OpenForWrite(path, OPEN_EXISTING, patience, error);
    if (!file) return error == ERROR_FILE_NOT_FOUND && CreateNewFile(path, bytes, attributes);
    links = LinksOf(file.get());
  }
  // A symbolic link stays a link: the file it leads to is replaced, in its own folder. A
  // file with more than one hard link is written in place, so that every name sees it.
  const std::string target = links == 1 ? FinalPath(file.get()) : std::string();
  if (!target.empty()) {
    const std::string security = SecurityOf(file.get());
    file.Close();
    if (Replace(target, bytes, attributes, security, patience)) {
      RemoveLeftovers(target);
      return true;
    }
    file = OpenForWrite(path, OPEN_EXISTING, patience, error);
    if (!file) return false;
  }
  return WriteInPlace(file.get(), bytes);
}

// Opens an existing file to read it, or to read and write it.
HANDLE OpenExisting(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The attributes and the size of an open file; false for a directory or when they cannot be
// told. (Asked of the handle: by name it costs a lookup of the name.)
bool DescribeFile(HANDLE h, DWORD& attributes, ULONGLONG& size) {
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) || standard.Directory)
    return false;
  attributes = basic.FileAttributes;
  size = static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
  return true;
}

// The bytes as an image; false when there is no memory for it.
bool ToImage(const std::string& bytes, ProfileImage& image) {
  try {
    image = ProfileImage::FromBytes(bytes);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

ProfileImage ReadProfileFile(std::string_view file) {
  const std::string path = ProfilePath(CutTo(TrimRight(file), kIniFileNameCapacity));
  ProfileImage image;
  if (path.empty()) return image;
  FileHandle in(OpenExisting(path, GENERIC_READ));
  DWORD attributes = 0;
  ULONGLONG size = 0;
  std::string bytes;
  if (in && DescribeFile(in.get(), attributes, size) && ReadWholeFile(in.get(), size, bytes)) ToImage(bytes, image);
  return image;
}

ProfileEdit::ProfileEdit(std::string_view file) : file_(CutTo(TrimRight(file), kIniFileNameCapacity)) {
  path_ = ProfilePath(file_);
  if (path_.empty()) return;
  // Opened once, to read and to write: Commit asks the same handle what the file is. A file
  // the program may not write (marked read-only, say), or that another process holds against
  // writers, is opened to read alone, and Commit opens it again (and waits for a holder).
  FileHandle in(OpenExisting(path_, GENERIC_READ | GENERIC_WRITE));
  const bool writable = static_cast<bool>(in);
  auto missing = [] { return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND; };
  if (!writable && !missing()) in = OpenExisting(path_, GENERIC_READ);
  if (!in) {
    readable_ = missing();  // a new file
    return;
  }
  DWORD attributes = 0;
  ULONGLONG size = 0;
  std::string bytes;
  readable_ = DescribeFile(in.get(), attributes, size) && ReadWholeFile(in.get(), size, bytes) && ToImage(bytes, image_);
  if (!readable_) return;
  attributes_ = attributes;
  if (writable) held_ = in.Release();
}

ProfileEdit::~ProfileEdit() {
  if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
}

void ProfileEdit::Commit() {
  FileHandle held(held_);
  held_ = INVALID_HANDLE_VALUE;
  if (!readable_ || !image_.changed()) return;
  DWORD keep = FILE_ATTRIBUTE_NORMAL;
  if (attributes_ != INVALID_FILE_ATTRIBUTES) {
    if (attributes_ & FILE_ATTRIBUTE_READONLY) return;
    keep = attributes_ & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (keep == 0) keep = FILE_ATTRIBUTE_NORMAL;
  }
  const std::string bytes = image_.Bytes();
  const bool written = attributes_ == INVALID_FILE_ATTRIBUTES ? CreateNewFile(path_, bytes, keep)
                                                              : UpdateFile(path_, bytes, keep, held);
  // The private-profile layer keeps files it has read and checks them against the time of
  // the last write alone, which a file system with coarse time stamps does not move within
  // a second: a copy it may hold of this file is dropped, so that its next read reads the
  // file. (The drop makes the layer open the file, so a file it never read is left alone.)
  if (written && LayerMayHold(file_)) WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str());
}

}  // namespace rt
