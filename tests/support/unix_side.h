#pragma once
// Files made the way a Unix user makes them, for tests of what the programs do with them.
// Wine's CreateSymbolicLinkA reports success and makes nothing, and under Wine DeleteFileA on
// a symbolic link removes the file it leads to, not the link; Wine starts a Unix program
// named by its Unix path as it starts a Windows one, so links are made and removed by
// the Unix shell.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The Unix path of a Windows path (its last part need not exist); empty outside Wine.
inline std::string UnixPath(const std::string& path) {
  using Convert = char*(CDECL*)(const WCHAR*);
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(found));
  if (!convert) return {};
  std::wstring wide(path.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size())));
  char* unix = convert(wide.c_str());
  std::string out = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

// Runs a Unix shell command (Unix paths in single quotes) to its end. A Unix program's
// process handle under Wine does not tell its end, so the command leaves a mark when done.
inline bool RunUnix(const std::string& command) {
  char dir[MAX_PATH], mark[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  if (!GetTempFileNameA(dir, "unx", 0, mark)) return false;
  DeleteFileA(mark);
  std::string commandLine = "/bin/sh -c \"" + command + "; touch '" + UnixPath(mark) + "'\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 2000 && GetFileAttributesA(mark) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(5);
  return DeleteFileA(mark) != FALSE;
}

// The file a name leads to, links resolved, as Wine reports it ("C:\...", no "\\?\");
// empty when nothing is there.
inline std::string FinalPathOf(const std::string& name) {
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  char buf[1024] = {};
  const DWORD n = GetFinalPathNameByHandleA(h, buf, sizeof buf, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  std::string path(buf, n < sizeof buf ? n : 0);
  return path.rfind("\\\\?\\", 0) == 0 ? path.substr(4) : path;
}

// A symbolic link `link` to `target` (which need not exist), made through the Unix side.
inline bool MakeSymbolicLink(const std::string& link, const std::string& target) {
  return RunUnix("ln -s '" + UnixPath(target) + "' '" + UnixPath(link) + "'");
}

// Removes a link itself (not the file it leads to).
inline void RemoveLink(const std::string& link) { RunUnix("rm -f '" + UnixPath(link) + "'"); }

// Sets a file's Unix mode ("600", say).
inline bool ChangeUnixMode(const std::string& file, const std::string& mode) {
  return RunUnix("chmod " + mode + " '" + UnixPath(file) + "'");
}

// Links made for a test, removed as links at its end.
class ScopedLinks {
 public:
  ScopedLinks() = default;
  ScopedLinks(const ScopedLinks&) = delete;
  ScopedLinks& operator=(const ScopedLinks&) = delete;
  ~ScopedLinks() {
    for (const std::string& link : links_) RemoveLink(link);
  }
  // Makes the link; true when it now leads to `target` (or, for a target that does not
  // exist, when the Unix side made it).
  bool Make(const std::string& link, const std::string& target) {
    links_.push_back(link);
    return MakeSymbolicLink(link, target) && FinalPathOf(link) == FinalPathOf(target);
  }

 private:
  std::vector<std::string> links_;
};

}  // namespace testing_support
