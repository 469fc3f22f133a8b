// The one-step write of a file a user keeps, against the ways it can go wrong on real files:
// other processes holding the file, names taken beside it, links, access and time stamps.
// Each write must land wherever the key-by-key road would have landed it, and nothing but the
// file itself may change.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/recent_items.h"
#include "recent_fixture.h"
#include "runtime/ini_entry.h"
#include "runtime/profile_file.h"
#include "test_support.h"
#include "unix_side.h"

namespace {

using app::RecentIdentity;
using recent_test::FrameSlots;
using recent_test::IniText;
using recent_test::ScratchLike;
using recent_test::Sorted;
using recent_test::SortedSection;
using namespace testing_support;

constexpr RecentIdentity kFrame = RecentIdentity::Number;

const std::string kOld = IniText(FrameSlots({{-7, "Facturas"}, {-10, "Recibos"}}));
const auto kNew = Sorted(FrameSlots({{-8, "Notas"}, {-7, "Facturas"}, {-10, "Recibos"}}));

// The update every test makes: "Notas" (-8) recorded in a list of two.
void Record(const std::string& file) { app::PushRecentItem(file, kFrame, 0, -8, "Notas"); }

// Which file a name reaches (a new one after a replacement) and how many names it has.
struct FileId {
  DWORD volume = 0, high = 0, low = 0, links = 0;
  bool operator==(const FileId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};
FileId IdOf(const std::string& name) {
  FileId id;
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info))
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nNumberOfLinks};
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return id;
}

// The owner and access list of a file as Win32 reports them (under Wine: from its Unix mode).
std::string SecurityText(const std::string& name) {
  std::vector<BYTE> sd(4096);
  DWORD need = 0;
  if (!GetFileSecurityA(name.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd.data(),
                        static_cast<DWORD>(sd.size()), &need))
    return "unreadable";
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  GetSecurityDescriptorOwner(sd.data(), &owner, &defaulted);
  GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted);
  std::string text = owner ? std::string(static_cast<const char*>(owner), GetLengthSid(owner)) : "";
  for (DWORD i = 0; present && dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace))) text.append(reinterpret_cast<const char*>(ace), ace->AceSize);
  }
  return text;
}

FILETIME LastWrite(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SetLastWrite(const std::string& name, const FILETIME& stamp) {
  HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  const bool ok = h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &stamp);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok;
}

TEST(ProfileFileWrite, AHolderWithoutDeleteSharingLosesNoWrite) {
  // Readers and scanners open a file without delete sharing, which makes the rename fail.
  // Let go soon, the file is replaced after a pause; held through the write, the new
  // content is written into the file itself. No scratch file is left either way.
  struct {
    const char* what;
    DWORD holdMs;
    bool replaced;
  } cases[] = {{"held through the write", 3000, false}, {"let go 20 ms after the rename is first refused", 20, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string file = dir.File("RECIENTES.x.ini");
    WriteFileText(file, kOld);
    const FileId before = IdOf(file);
    HANDLE holder = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::thread letGo([&] {
      WaitFor([&] { return recent_test::ScratchLeftBeside(file); }, 5000);  // the write waits for the holder
      Sleep(c.holdMs);
      CloseHandle(holder);
    });
    Record(file);
    const FileId after = IdOf(file);
    letGo.join();
    EXPECT_EQ(SortedSection(file), kNew);
    EXPECT_EQ(!(after == before), c.replaced);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"RECIENTES.x.ini"});
  }
}

TEST(ProfileFileWrite, AFolderThatTakesNoNewFileStillGetsTheWrite) {
  // Stands for a folder where the file may be changed but no file made (as root, Wine makes
  // files in a folder marked read-only): every name a scratch file of this process could
  // take is taken already, the first by a file, the others by directories. The write lands
  // in the file itself, and what holds those names stays as it is.
  TempDir dir;
  const std::string file = dir.File("RECIENTES.x.ini");
  WriteFileText(file, kOld);
  const std::string first = ScratchLike(file, GetCurrentProcessId(), 0);
  WriteFileText(first, "ajeno\r\n");
  for (unsigned attempt = 1; attempt < 8; ++attempt)
    ASSERT_TRUE(CreateDirectoryA(ScratchLike(file, GetCurrentProcessId(), attempt).c_str(), nullptr));
  const std::vector<std::string> names = NamesIn(dir.path());
  const FileId before = IdOf(file);
  Record(file);
  EXPECT_EQ(SortedSection(file), kNew);
  EXPECT_TRUE(IdOf(file) == before) << "written in place";
  EXPECT_EQ(NamesIn(dir.path()), names);
  EXPECT_EQ(ReadFileText(first), "ajeno\r\n");
  for (unsigned attempt = 1; attempt < 8; ++attempt)
    EXPECT_TRUE(GetFileAttributesA(ScratchLike(file, GetCurrentProcessId(), attempt).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ProfileFileWrite, WhatLiesAtTheOldScratchNameIsLeftAlone) {
  // "<file>~" was once the scratch name; whatever is there belongs to someone else.
  enum class Kind { Directory, Backup, Link };
  const struct {
    const char* what;
    Kind kind;
  } cases[] = {{"a directory", Kind::Directory}, {"an editor's backup", Kind::Backup}, {"a symbolic link", Kind::Link}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ScopedLinks links;
    const std::string file = dir.File("RECIENTES.x.ini"), tilde = file + "~", elsewhere = dir.File("elsewhere.txt");
    WriteFileText(file, kOld);
    WriteFileText(elsewhere, "not a list\r\n");
    if (c.kind == Kind::Backup) WriteFileText(tilde, "[RECIENTES.]\r\nCampo_1=-3\r\nTexto_1=del editor\r\n");
    const bool made = c.kind == Kind::Directory ? CreateDirectoryA(tilde.c_str(), nullptr) != FALSE
                      : c.kind == Kind::Link    ? links.Make(tilde, elsewhere)
                                                : true;
    ASSERT_TRUE(made);
    const std::string tildeText = c.kind == Kind::Directory ? "" : ReadFileText(tilde);
    Record(file);
    Record(file);
    EXPECT_EQ(SortedSection(file), kNew);
    EXPECT_EQ(ReadFileText(elsewhere), "not a list\r\n");
    if (c.kind == Kind::Directory) {
      EXPECT_TRUE(GetFileAttributesA(tilde.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    } else {
      EXPECT_EQ(ReadFileText(tilde), tildeText);
    }
    if (c.kind == Kind::Link) {
      EXPECT_EQ(FinalPathOf(tilde), FinalPathOf(elsewhere)) << "still a link";
    }
  }
}

TEST(ProfileFileWrite, ASymbolicLinkStaysALinkAndItsTargetGetsTheWrite) {
  // A list kept in a shared folder through a link in the program's folder, and a link that
  // leads to no file yet: the link stays and the file it leads to gets every write.
  for (bool targetExists : {true, false}) {
    SCOPED_TRACE(targetExists ? "to a list" : "to no file yet");
    TempDir dir;
    ScopedLinks links;
    const std::string shared = dir.File("shared"), target = shared + "\\list.ini", link = dir.File("RECIENTES.x.ini");
    ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));
    if (targetExists) WriteFileText(target, kOld);
    ASSERT_TRUE(links.Make(link, target));
    app::PushRecentItem(link, kFrame, 0, -10, "Recibos");
    app::PushRecentItem(link, kFrame, 0, -7, "Facturas");
    Record(link);
    EXPECT_EQ(FinalPathOf(link), FinalPathOf(target)) << "still a link";
    EXPECT_EQ(SortedSection(target), kNew);
    EXPECT_EQ(NamesIn(shared), std::vector<std::string>{"list.ini"});
    EXPECT_EQ(NamesIn(dir.path()), (std::vector<std::string>{"RECIENTES.x.ini", "shared"}));
  }
}

TEST(ProfileFileWrite, EveryHardLinkedNameSeesTheWrite) {
  TempDir dir;
  const std::string file = dir.File("RECIENTES.x.ini"), other = dir.File("copia.ini");
  WriteFileText(file, kOld);
  ASSERT_TRUE(CreateHardLinkA(other.c_str(), file.c_str(), nullptr));
  Record(file);
  EXPECT_EQ(SortedSection(file), kNew);
  EXPECT_EQ(SortedSection(other), kNew);
  EXPECT_EQ(IdOf(file).links, 2u);
  EXPECT_TRUE(IdOf(file) == IdOf(other));
}

TEST(ProfileFileForeign, AFileThisUserMayNotWriteIsNotReplaced) {
  // The key-by-key road opens the file to write it; a rename asks only the folder. Run by
  // foreign_owner_test.sh as another user than the file's owner (as root, Wine lets every
  // file be opened for writing), on a file of mode 644 in a folder where anyone may make
  // and rename files: the file stays as it is, and no file is left beside it.
  const char* file = std::getenv("PROFILE_FILE_FOREIGN");
  if (!file) GTEST_SKIP() << "run by foreign_owner_test.sh";
  const std::string folder = std::string(file).substr(0, std::string(file).find_last_of('\\'));
  const std::string before = ReadFileText(file);
  const std::vector<std::string> names = NamesIn(folder);
  const FileId id = IdOf(file);
  ASSERT_FALSE(before.empty());
  Record(file);
  EXPECT_EQ(ReadFileText(file), before);
  EXPECT_TRUE(IdOf(file) == id);
  EXPECT_EQ(NamesIn(folder), names);
}

TEST(ProfileFileWrite, APrivateFileStaysPrivate) {
  // A file only its owner may read (Unix mode 600): a new file would get the folder's
  // default (644 here), so it is written in place and keeps its owner and access list.
  TempDir dir;
  const std::string file = dir.File("RECIENTES.x.ini"), plain = dir.File("plain.ini");
  WriteFileText(file, kOld);
  WriteFileText(plain, kOld);
  ASSERT_TRUE(ChangeUnixMode(file, "600"));
  const std::string security = SecurityText(file);
  ASSERT_NE(security, SecurityText(plain)) << "Wine shows the mode in the access list";
  Record(file);
  EXPECT_EQ(SortedSection(file), kNew);
  EXPECT_EQ(SecurityText(file), security);
  const FileId before = IdOf(plain);
  Record(plain);
  EXPECT_FALSE(IdOf(plain) == before) << "a file like any new one is still replaced";
}

TEST(ProfileFileWrite, ReadersSeeTheWriteEvenWhereTimeStampsAreCoarse) {
  // The private-profile layer keeps a file it has read and, once the file's time stamp is a
  // few seconds old, trusts its copy while the stamp stays. Where stamps are coarse (1 or
  // 2 s) the new file can get the very stamp of the one it replaces, which the test gives it
  // by hand (an hour old); the next read in this process must still see the write,
  // replaced or written in place, whether it goes through the layer or is the store's own.
  struct Reader {
    const char* what;
    std::string (*text)(const std::string& file, int n);
  } readers[] = {
      {"read through the layer",
       [](const std::string& file, int n) {
         return rt::ReadIniEntry(app::kRecentSection, "Texto_" + std::to_string(n), "", file);
       }},
      {"read by the store", app::RecentSlotText},
  };
  for (const Reader& reader : readers) {
    for (bool hardLinked : {false, true}) {
      SCOPED_TRACE(std::string(reader.what) + (hardLinked ? ", written in place" : ", replaced"));
      TempDir dir;
      const std::string file = dir.File("RECIENTES.x.ini");
      WriteFileText(file, kOld);
      ASSERT_TRUE(!hardLinked || CreateHardLinkA(dir.File("copia.ini").c_str(), file.c_str(), nullptr));
      ULARGE_INTEGER hourAgo;
      const FILETIME now = LastWrite(file);
      hourAgo.LowPart = now.dwLowDateTime;
      hourAgo.HighPart = now.dwHighDateTime;
      hourAgo.QuadPart -= 36000000000ull;
      const FILETIME stamp{hourAgo.LowPart, hourAgo.HighPart};
      ASSERT_TRUE(SetLastWrite(file, stamp));
      ASSERT_EQ(reader.text(file, 1), "Facturas");  // the layer may now hold the file
      Record(file);
      ASSERT_TRUE(SetLastWrite(file, stamp));
      EXPECT_EQ(reader.text(file, 1), "Notas");
      EXPECT_EQ(reader.text(file, 2), "Facturas");
    }
  }
}

TEST(ProfileFileWrite, AFileReplacedOrRemovedAfterItWasReadGetsTheWrite) {
  // The file is read, and opened to be written, before the change is made in memory. A
  // Windows program cannot rename over it meanwhile (it is open), but a Unix program can, and
  // either can remove it: the write then goes to the file the name leads to now, or to a new
  // one, never to the one that was let go of.
  enum class How { UnixRename, UnixRemove, Remove };
  struct {
    const char* what;
    How how;
  } cases[] = {{"replaced by a Unix program's rename", How::UnixRename},
               {"removed by a Unix program", How::UnixRemove},
               {"removed", How::Remove}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string file = dir.File("RECIENTES.x.ini"), other = dir.File("otro.ini");
    WriteFileText(file, kOld);
    WriteFileText(other, IniText(FrameSlots({{-3, "Otra lista"}})));
    rt::ProfileEdit edit(file);
    app::PushRecentItem(edit.image(), kFrame, 0, -8, "Notas");
    switch (c.how) {
      case How::UnixRename:
        ASSERT_TRUE(RunUnix("mv '" + UnixPath(other) + "' '" + UnixPath(file) + "'"));
        break;
      case How::UnixRemove:
        ASSERT_TRUE(RunUnix("rm '" + UnixPath(file) + "' '" + UnixPath(other) + "'"));
        break;
      case How::Remove:
        ASSERT_TRUE(DeleteFileA(file.c_str()) && DeleteFileA(other.c_str()));
        break;
    }
    ASSERT_FALSE(FileExists(other));
    edit.Commit();
    EXPECT_EQ(SortedSection(file), kNew);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"RECIENTES.x.ini"});
  }
}

TEST(ProfileFileRead, TheStoresOwnReadReadsWhatTheLayerReads) {
  // The store reads its lists itself, in one read; every key must read as the private-profile
  // layer reads it, whatever lies at the name.
  TempDir dir;
  char bare[64];
  std::snprintf(bare, sizeof bare, "recent_read_%lu.ini", GetCurrentProcessId());
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string inWindows = std::string(windows) + "\\" + bare;
  const std::string list = IniText(FrameSlots({{-7, "Facturas"}, {-10, "\"Recibos\""}}));
  std::string utf16 = "\xFF\xFE";
  for (char ch : list) utf16 += std::string{ch, '\0'};
  struct {
    const char* what;
    std::string file;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"a list", dir.File("lista.ini"), [&](const std::string& f) { WriteFileText(f, list); }},
      {"a UTF-16 list", dir.File("utf16.ini"), [&](const std::string& f) { WriteFileText(f, utf16); }},
      {"a list past 64 KiB", dir.File("larga.ini"),
       [&](const std::string& f) { WriteFileText(f, "[Otra]\r\nk=" + std::string(70000, 'x') + "\r\n" + list); }},
      {"an empty file", dir.File("vacia.ini"), [](const std::string& f) { WriteFileText(f, ""); }},
      {"no file", dir.File("ninguna.ini"), [](const std::string&) {}},
      {"a directory", dir.File("carpeta.ini"), [](const std::string& f) { CreateDirectoryA(f.c_str(), nullptr); }},
      {"a bare name (the Windows directory)", bare,
       [&](const std::string&) { WriteFileText(inWindows, IniText(FrameSlots({{-2, "Bare"}}))); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.make(c.file);
    const rt::ProfileImage image = rt::ReadProfileFile(c.file);
    for (const char* key : {"Campo_1", "Texto_1", "Texto_2", "Texto_3", "k"}) {
      for (const char* section : {app::kRecentSection, "Otra"}) {
        EXPECT_EQ(image.Read(section, key, "def"), rt::ReadIniEntry(section, key, "def", c.file)) << section << " " << key;
      }
    }
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, bare);  // let go of the cached file
  DeleteFileA(inWindows.c_str());
}

TEST(ProfileFileWrite, LeftoversOfKilledWritersGoAndNothingElse) {
  // A killed writer leaves its scratch file behind; the next replacement of the same file
  // removes such files of processes that no longer run, minutes old (a writer on another
  // machine may have a process id unknown here), and only plain files of the pattern.
  TempDir dir;
  ScopedLinks links;
  const std::string file = dir.File("RECIENTES.x.ini"), elsewhere = dir.File("elsewhere.txt");
  WriteFileText(file, kOld);
  WriteFileText(elsewhere, "not a list\r\n");
  const DWORD gone = 0xFFFFFFF0;  // no process has this id
  const std::string dead1 = ScratchLike(file, gone, 0), dead2 = ScratchLike(file, gone, 3);
  WriteFileText(dead1, "[RECIENTES.]\r\nCampo_1=55\r\n");
  WriteFileText(dead2, "");
  ASSERT_TRUE(SetFileAttributesA(dead2.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::string linkLike = ScratchLike(file, gone, 1), dirLike = ScratchLike(file, gone, 2),
                    living = ScratchLike(file, GetCurrentProcessId(), 0x77), otherTail = file + "~ABC.tmp",
                    otherFile = ScratchLike(dir.File("otro.ini"), gone, 0);
  ASSERT_TRUE(links.Make(linkLike, elsewhere));
  ASSERT_TRUE(CreateDirectoryA(dirLike.c_str(), nullptr));
  for (const std::string& f : {living, otherTail, otherFile, file + "~"}) WriteFileText(f, "x");
  recent_test::AgeScratchFiles(file);
  const std::string fresh = ScratchLike(file, gone, 4);  // written just now
  WriteFileText(fresh, "[RECIENTES.]\r\nCampo_1=56\r\n");
  std::vector<std::string> kept = NamesIn(dir.path());
  kept.erase(std::remove_if(kept.begin(), kept.end(),
                            [&](const std::string& n) { return dir.File(n) == dead1 || dir.File(n) == dead2; }),
             kept.end());
  Record(file);
  EXPECT_EQ(SortedSection(file), kNew);
  EXPECT_EQ(NamesIn(dir.path()), kept);
  EXPECT_EQ(ReadFileText(elsewhere), "not a list\r\n");
  EXPECT_EQ(FinalPathOf(linkLike), FinalPathOf(elsewhere));
}

TEST(ProfileFileWrite, FileSizeWithItsHighWord) {
  // A file past 64 MiB is still updated; a file of 4 GiB and more (sparse here) is too large
  // to read whole: it is never replaced by what a read of its low 32 bits of size would give,
  // and the write to it is dropped.
  TempDir dir;
  const std::string large = dir.File("large.ini"), huge = dir.File("huge.ini");
  WriteFileText(large, kOld + "[Relleno]\r\nvalor=" + std::string(65u << 20, 'm') + "\r\n");
  Record(large);
  EXPECT_EQ(SortedSection(large), kNew);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(large.c_str(), GetFileExInfoStandard, &data));
  EXPECT_GT(data.nFileSizeLow, 65u << 20);

  WriteFileText(huge, kOld);
  HANDLE h = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = (LONGLONG{1} << 32) + static_cast<LONGLONG>(kOld.size());
  ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
  CloseHandle(h);
  Record(huge);
  ASSERT_TRUE(GetFileAttributesExA(huge.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeHigh, 1u);
  EXPECT_EQ(data.nFileSizeLow, kOld.size());
  std::string head(kOld.size(), '\0');
  h = CreateFileA(huge.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD n = 0;
  ReadFile(h, head.data(), static_cast<DWORD>(head.size()), &n, nullptr);
  CloseHandle(h);
  EXPECT_EQ(head, kOld);
}

}  // namespace
