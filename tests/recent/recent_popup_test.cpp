// The "Recientes" popup through the real popup menu: a second thread of the test finds the
// menu window of this process, reads its items and picks one with the keyboard, as a user.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "app/recent_items.h"
#include "recent_fixture.h"
#include "runtime/window.h"
#include "test_support.h"

namespace {

using recent_test::FrameSlots;
using recent_test::IniText;
using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

// A plain window of the test thread as the popup's owner (the thread's current target);
// hidden, as destroying a shown top-level window costs seconds under Wine without a window
// manager.
class Host {
 public:
  Host() {
    hwnd_ = CreateWindowExA(0, "STATIC", "recent host", WS_POPUP, 40, 40, 200, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    target_.emplace(hwnd_);
  }
  ~Host() {
    target_.reset();
    DestroyWindow(hwnd_);
  }

 private:
  ::HWND hwnd_ = nullptr;
  std::optional<rt::ScopedTarget> target_;
};

// Runs the popup on this thread while another thread reads the menu's items and picks item
// `pick` (0 dismisses it with Esc).
struct PopupRun {
  int result = -1;
  app::RecentEntry entry;
  bool menuShown = false;
  std::vector<std::string> items;
};
PopupRun RunPopup(const std::string& file, int pick, const std::function<void()>& whileShown = {}) {
  PopupRun run;
  std::atomic<bool> returned{false};
  Host host;
  std::thread user([&] {
    ::HWND menu = nullptr;
    testing_support::WaitFor(
        [&] {
          for (::HWND h : testing_support::TopWindows(GetCurrentProcessId()))
            if (testing_support::ClassOf(h) == "#32768") menu = h;
          return menu || returned;
        },
        5000);
    if (!menu) return;
    run.menuShown = true;
    DWORD_PTR handle = 0;
    SendMessageTimeoutA(menu, MN_GETHMENU, 0, 0, SMTO_NORMAL, 2000, &handle);
    HMENU m = reinterpret_cast<HMENU>(handle);
    for (int i = 0, count = m ? GetMenuItemCount(m) : 0; i < count; ++i) {
      char text[512] = {};
      GetMenuStringA(m, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      run.items.push_back(text);
    }
    if (whileShown) whileShown();
    testing_support::PickPopupItem(menu, pick);
  });
  const app::RecentChoice choice = app::RecentItemsPopup(file);
  run.result = choice.slot;
  run.entry = choice.entry;
  returned = true;
  user.join();
  return run;
}

TEST(RecentPopup, ShowsTheStoredTextsAndItemNReplaysSlotN) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, IniText(FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}, {-12, "Subdiario de IVA Ventas"}})));
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    const PopupRun run = RunPopup(file, n);
    ASSERT_TRUE(run.menuShown);
    EXPECT_EQ(run.items, (std::vector<std::string>{"Recibos", "Facturas", "Subdiario de IVA Ventas"}));
    ASSERT_EQ(run.result, n);
    EXPECT_EQ(app::RecentSlotNumber(file, run.result), (std::vector<int32_t>{-10, -7, -12})[n - 1]);
    EXPECT_EQ(run.entry.number, (std::vector<int32_t>{-10, -7, -12})[n - 1]);
    EXPECT_EQ(run.entry.text, run.items[n - 1]);
  }
}

TEST(RecentPopup, TheChoiceIsTheEntryShownEvenIfTheListChangesMeanwhile) {
  // Another run in the same folder records a choice while this popup is open: the item
  // picked still replays the entry it showed, not what its slot holds now.
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, IniText(FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}})));
  const PopupRun run = RunPopup(file, 2, [&] {
    WriteFileText(file, IniText(FrameSlots({{-8, "Notas"}, {-10, "Recibos"}, {-7, "Facturas"}})));
  });
  ASSERT_EQ(run.result, 2);
  EXPECT_EQ(run.entry.number, -7);
  EXPECT_EQ(run.entry.text, "Facturas");
}

TEST(RecentPopup, DismissingItReturnsZeroAndWritesNothing) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, IniText(FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}})));
  const std::string before = ReadFileText(file);
  const PopupRun run = RunPopup(file, 0);
  EXPECT_TRUE(run.menuShown);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(ReadFileText(file), before);
}

TEST(RecentPopup, NoFileOrNoTextShowsNoMenu) {
  TempDir dir;
  const std::string missing = dir.File("none.ini");
  PopupRun run = RunPopup(missing, 1);
  EXPECT_FALSE(run.menuShown);
  EXPECT_EQ(run.result, 0);
  EXPECT_FALSE(FileExists(missing));

  const std::string blank = dir.File("blank.ini");
  WriteFileText(blank, IniText({{"Campo_1", "-7"}, {"Texto_1", ""}, {"Campo_2", "-8"}, {"Texto_2", "   "}}));
  run = RunPopup(blank, 1);
  EXPECT_FALSE(run.menuShown);
  EXPECT_EQ(run.result, 0);
}

TEST(RecentPopup, ABlankSlotMakesNoItemAndEachItemReplaysTheSlotItShows) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  // Slot 1 with a blank text, as after an entry whose text was blank.
  WriteFileText(file, IniText({{"Campo_1", "-99"}, {"Texto_1", ""}, {"Campo_2", "-10"}, {"Texto_2", "Recibos"},
                               {"Campo_3", "-7"}, {"Texto_3", "Facturas"}}));
  const PopupRun run = RunPopup(file, 2);
  EXPECT_EQ(run.items, (std::vector<std::string>{"Recibos", "Facturas"}));
  ASSERT_EQ(run.result, 3) << "the second item shows slot 3's text";
  EXPECT_EQ(app::RecentSlotNumber(file, run.result), -7);
}

TEST(RecentPopup, TheSelectionStopsAt1000Characters) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  std::vector<std::pair<int, std::string>> slots;
  for (int n = 1; n <= 20; ++n) slots.emplace_back(-n, std::string(100, static_cast<char>('A' + n - 1)));
  WriteFileText(file, IniText(FrameSlots(slots)));
  const PopupRun run = RunPopup(file, 10);
  ASSERT_EQ(run.items.size(), 10u);
  EXPECT_EQ(run.items[0], std::string(100, 'A'));
  EXPECT_EQ(run.items[9], std::string(90, 'J')) << "the item at the cut is shortened";
  EXPECT_EQ(run.result, 10);
}

}  // namespace
