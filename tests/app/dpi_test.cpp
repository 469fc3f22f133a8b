// Window fonts at the display's resolution: 8 points is 8 points at 96, 120 and 144 DPI, and
// the layouts, in dialog units of that font, grow with it. Under Wine a process reads the
// resolution from the user's "LogPixels" value as it starts, so each resolution is seen by a
// child run of this program, started while the value is set; the value is put back as soon as
// the child has read it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "app/layouts.h"
#include "app_fixture.h"
#include "runtime/window.h"

namespace {

using namespace testing_support;

constexpr const char* kReadyEvent = "DPI_TEST_READY_EVENT";
constexpr const char* kResultFile = "DPI_TEST_RESULT_FILE";

// The user's "LogPixels" value for a while; the value as it was (or its absence) afterwards.
class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                    nullptr);
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key_, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
      original_ = value;
    Write(dpi);
  }
  ~ScopedLogPixels() { Restore(); }
  void Restore() {
    if (!key_) return;
    if (original_) Write(*original_);
    else RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  void Write(DWORD dpi) { RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi); }
  HKEY key_ = nullptr;
  std::optional<DWORD> original_;
};

// Run only as the child of FontsAndLayoutsFollowTheDisplayDpi: the message dialog's window at
// this process's resolution, measured in place.
class DpiChild : public AppFixture {};

TEST_F(DpiChild, Measure) {
  const char* ready = std::getenv(kReadyEvent);
  const char* result = std::getenv(kResultFile);
  if (!ready || !result) GTEST_SKIP() << "run by the DPI test only";
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready)) {
    SetEvent(event);
    CloseHandle(event);
  }
  std::unique_ptr<rt::Window> dialog;
  rt::LoadWindowStructure(dialog, config_.dialogModule, app::kDialogLayout);
  ASSERT_TRUE(dialog && dialog->Open());
  LOGFONTA font{};
  auto shown = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dialog->Handle(), 1), WM_GETFONT, 0, 0));
  ASSERT_TRUE(shown && GetObjectA(shown, sizeof font, &font));
  RECT client{};
  GetClientRect(dialog->Handle(), &client);
  // The dialog's size as the system's dialog manager makes it at this resolution.
  const DialogUnits du("MS Sans Serif", 8);
  std::ofstream(result) << dpi << " " << font.lfHeight << " " << client.right << " " << client.bottom << " "
                        << du.X(395) << " " << du.Y(224) << "\n";
}

TEST(Dpi, FontsAndLayoutsFollowTheDisplayDpi) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  for (int dpi : {96, 120, 144}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    TempDir dir;
    const std::string eventName = "DpiTestReady" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(dpi);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    SetEnvironmentVariableA(kReadyEvent, eventName.c_str());
    SetEnvironmentVariableA(kResultFile, dir.File("result.txt").c_str());
    long code = -1;
    {
      ScopedLogPixels logPixels(dpi);
      Process child(self, dir.path(), "--gtest_filter=DpiChild.Measure");
      SetEnvironmentVariableA(kReadyEvent, nullptr);
      SetEnvironmentVariableA(kResultFile, nullptr);
      ASSERT_TRUE(child.started());
      HANDLE waits[] = {ready, child.handle()};
      WaitForMultipleObjects(2, waits, FALSE, 30000);
      logPixels.Restore();  // the child has its resolution: others see the usual one again
      code = child.Wait(30000);
    }
    CloseHandle(ready);
    EXPECT_EQ(code, 0);
    int seen = 0, height = 0, width = 0, tall = 0, duWidth = 0, duHeight = 0;
    std::ifstream(dir.File("result.txt")) >> seen >> height >> width >> tall >> duWidth >> duHeight;
    EXPECT_EQ(seen, dpi) << "the child runs at the resolution set";
    EXPECT_EQ(height, -MulDiv(8, dpi, 72)) << "8 points in pixels";
    EXPECT_EQ(width, duWidth) << "395 dialog units";
    EXPECT_EQ(tall, duHeight) << "224 dialog units";
    std::printf("%d DPI: font height %d px, dialog client %dx%d\n", dpi, height, width, tall);
  }
}

}  // namespace
