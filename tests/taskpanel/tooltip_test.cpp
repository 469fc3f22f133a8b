// Tooltips of the task panel, read back through the tool messages of the real tooltip window,
// and shown with the real pointer.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "input_support.h"
#include "panel_fixture.h"

namespace panel_test {
namespace {

// A rectangle that tests can compare and print.
struct Box {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Box&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Box& r) {
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
  }
};

struct Tool {
  Box rect{};
  std::string text;
  UINT flags = 0;
  ::HWND window = nullptr;
};

// Every tool the tooltip window knows, by id.
std::map<UINT_PTR, Tool> ToolsOf(::HWND tip) {
  std::map<UINT_PTR, Tool> out;
  const auto count = static_cast<UINT>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (UINT i = 0; i < count; ++i) {
    char text[1024] = {};
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.lpszText = text;
    if (!SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&ti))) continue;
    out[ti.uId] = Tool{Box{ti.rect.left, ti.rect.top, ti.rect.right, ti.rect.bottom}, text, ti.uFlags, ti.hwnd};
  }
  return out;
}

// The whole text of one tool (the ANSI getters stop at 80 characters).
std::string ToolText(::HWND tip, ::HWND owner, UINT_PTR id) {
  wchar_t text[1024] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = owner;
  ti.uId = id;
  ti.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(&ti));
  char narrow[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

UINT_PTR Id(int32_t id) { return static_cast<UINT_PTR>(static_cast<uint32_t>(id)); }

// A task row as the control shows it.
Box Shown(const QTP_RECT& r, int scroll) { return Box{r.LEFT, r.TOP - scroll, r.RIGHT, r.BOTTOM - scroll}; }

class TooltipTest : public PanelFixture {
 protected:
  SIZE InitialSize() const override { return {220, 150}; }

  // Group A: a task with a text, one without, one hidden with a text; group B: two tasks with
  // texts; group C, closed: a task with a text.
  void Fill() {
    panel->SETFONT("Tahoma");
    A = panel->ADDHEADER("Alpha", 0);
    A1 = panel->ADDTASK("One", 11, 0, "", 0, "first tip   ");
    A2 = panel->ADDTASK("Two", 12, 0, "", 0, "");
    A3 = panel->ADDTASK("Three", 13, 0, "", 0, "hidden tip");
    ChangeTask(*panel, A, A3, [](QTP_TASKITEM& t) { t.ISVISIBLE = 0; });
    B = panel->ADDHEADER("Beta", 1);
    B1 = panel->ADDTASK("Bee", 21, 0, "", 0, "bee tip");
    B2 = panel->ADDTASK("Bee two", 22, 0, "", 0, "second bee tip");
    C = panel->ADDHEADER("Closed", 0, 0);
    C1 = panel->ADDTASK("Cee", 31, 0, "", 0, "closed tip");
  }

  const QTP_RECT& RowOf(int32_t h, int32_t t) { return StoredTask(*panel, h, t)->MOUSERECT; }


  // Every drawn task with a text has its tool at its row on screen, nothing else has one.
  void ExpectToolsOfDrawnTasks(const std::map<int32_t, int32_t>& tasksByHeader) {
    const auto tools = ToolsOf(panel->HTOOLWND);
    EXPECT_EQ(tools.size(), tasksByHeader.size());
    for (auto [task, header] : tasksByHeader) {
      auto it = tools.find(Id(task));
      ASSERT_NE(it, tools.end()) << "task " << task;
      EXPECT_EQ(it->second.rect, Shown(RowOf(header, task), panel->SCROLLPOS));
      EXPECT_EQ(it->second.text, StoredTask(*panel, header, task)->TOOLTIP);
      EXPECT_EQ(it->second.window, control);
    }
  }

  int32_t A = 0, A1 = 0, A2 = 0, A3 = 0, B = 0, B1 = 0, B2 = 0, C = 0, C1 = 0;
};

TEST_F(TooltipTest, ConstructionGivesStandardTipsOf300Pixels) {
  EXPECT_EQ(panel->TOOLTIPMODE, 1);
  EXPECT_EQ(panel->TOOLTIPMAXWIDTH, 300);
  EXPECT_EQ(panel->HTOOLWND, nullptr);
}

TEST_F(TooltipTest, EachDrawnTaskWithATextHasATool) {
  Fill();
  // Before INIT the texts are only stored, without their trailing blanks.
  EXPECT_EQ(StoredTask(*panel, A, A1)->TOOLTIP, "first tip");
  Init();
  ASSERT_NE(panel->HTOOLWND, nullptr);
  ExpectToolsOfDrawnTasks({{A1, A}, {B1, B}, {B2, B}});
  for (const auto& [id, tool] : ToolsOf(panel->HTOOLWND)) {
    EXPECT_EQ(tool.flags & (TTF_SUBCLASS | TTF_TRANSPARENT), static_cast<UINT>(TTF_SUBCLASS | TTF_TRANSPARENT));
    EXPECT_EQ(tool.flags & TTF_IDISHWND, 0u);
  }
}

TEST_F(TooltipTest, TextsAddedChangedAndClearedAfterInit) {
  Fill();
  Init();
  ThumbTo(30);
  ASSERT_EQ(panel->SCROLLPOS, 30);

  // A task without a text gets its tool at once, at the row as stored until the next paint.
  panel->SETTASKTOOLTIP(A, A2, "now with a tip   ");
  EXPECT_EQ(StoredTask(*panel, A, A2)->TOOLTIP, "now with a tip");
  auto tools = ToolsOf(panel->HTOOLWND);
  ASSERT_EQ(tools.count(Id(A2)), 1u);
  EXPECT_EQ(tools[Id(A2)].text, "now with a tip");
  EXPECT_EQ(tools[Id(A2)].rect, Shown(RowOf(A, A2), 0));
  Paint();
  EXPECT_EQ(ToolsOf(panel->HTOOLWND)[Id(A2)].rect, Shown(RowOf(A, A2), 30));

  // A changed text replaces the tool's text; the tool stays where it is.
  panel->SETTASKTOOLTIP(A, A1, "changed");
  tools = ToolsOf(panel->HTOOLWND);
  EXPECT_EQ(tools[Id(A1)].text, "changed");
  EXPECT_EQ(tools[Id(A1)].rect, Shown(RowOf(A, A1), 30));

  // A blank text takes the tool away, and no paint brings it back.
  panel->SETTASKTOOLTIP(B, B1, "    ");
  EXPECT_EQ(StoredTask(*panel, B, B1)->TOOLTIP, "");
  EXPECT_EQ(ToolsOf(panel->HTOOLWND).count(Id(B1)), 0u);
  Paint();
  ExpectToolsOfDrawnTasks({{A1, A}, {A2, A}, {B2, B}});

  // Ids that name nothing change nothing.
  panel->SETTASKTOOLTIP(A, B2, "wrong header");
  panel->SETTASKTOOLTIP(12345, A1, "no header");
  EXPECT_EQ(ToolsOf(panel->HTOOLWND)[Id(B2)].text, "second bee tip");
  EXPECT_EQ(ToolsOf(panel->HTOOLWND)[Id(A1)].text, "changed");
}

TEST_F(TooltipTest, LongTextsAreCutTo511Characters) {
  Fill();
  Init();
  panel->SETTASKTOOLTIP(A, A2, std::string(600, 'x'));
  EXPECT_EQ(StoredTask(*panel, A, A2)->TOOLTIP, std::string(511, 'x'));
  EXPECT_EQ(ToolText(panel->HTOOLWND, control, Id(A2)), std::string(511, 'x'));
}

TEST_F(TooltipTest, CollapsingAGroupRemovesItsToolsAndOpeningBringsThemBack) {
  Fill();
  Init();
  panel->SETEXPANDED(B, 0);
  Paint();
  ExpectToolsOfDrawnTasks({{A1, A}});
  panel->SETEXPANDED(B, 1);
  panel->SETEXPANDED(C, 1);
  Paint();
  ExpectToolsOfDrawnTasks({{A1, A}, {B1, B}, {B2, B}, {C1, C}});
}

// Entries the paint passes over keep their tools as they were: the tasks of a hidden header,
// and those of an open group whose tasks are all hidden (the group shows only its bar).
TEST_F(TooltipTest, ToolsOfHiddenEntriesStay) {
  Fill();
  Init();
  const auto before = ToolsOf(panel->HTOOLWND);
  ASSERT_EQ(before.size(), 3u);
  for (int32_t t : {B1, B2}) ChangeTask(*panel, B, t, [](QTP_TASKITEM& task) { task.ISVISIBLE = 0; });
  Paint();
  EXPECT_EQ(ToolsOf(panel->HTOOLWND).size(), 3u);
  ChangeHeader(*panel, A, [](QTP_HEADERITEM& h) { h.ISVISIBLE = 0; });
  Paint();
  const auto after = ToolsOf(panel->HTOOLWND);
  ASSERT_EQ(after.size(), 3u);
  for (int32_t t : {A1, B1, B2}) {
    ASSERT_EQ(after.count(Id(t)), 1u) << "task " << t;
    EXPECT_EQ(after.at(Id(t)).rect, before.at(Id(t)).rect) << "task " << t;
  }
}

TEST_F(TooltipTest, RectanglesFollowTheScrolledContent) {
  Fill();
  Init();
  ASSERT_TRUE(VerticalBarShown());
  for (int pos : {20, 55, 0}) {
    ThumbTo(pos);
    ASSERT_EQ(panel->SCROLLPOS, pos);
    ExpectToolsOfDrawnTasks({{A1, A}, {B1, B}, {B2, B}});
  }
}

// ---- Modes --------------------------------------------------------------------------------

class TooltipModes : public TooltipTest, public ::testing::WithParamInterface<int> {};

TEST_P(TooltipModes, ModeSetBeforeInitShapesTheWindow) {
  const auto mode = static_cast<uint8_t>(GetParam());
  Fill();
  panel->SETTOOLTIPMODE(mode);
  EXPECT_EQ(panel->HTOOLWND, nullptr) << "before INIT the mode is only stored";
  Init();
  ::HWND tip = panel->HTOOLWND;
  ASSERT_NE(tip, nullptr);
  char cls[64] = {};
  GetClassNameA(tip, cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "Tooltips_Class32");
  const LONG_PTR style = GetWindowLongPtrA(tip, GWL_STYLE);
  EXPECT_TRUE(style & TTS_ALWAYSTIP);
  EXPECT_EQ((style & TTS_BALLOON) != 0, mode == 2);
  EXPECT_EQ(GetWindow(tip, GW_OWNER), host);
  // Topmost from the start, so that no other window ever covers a tip.
  EXPECT_TRUE(GetWindowLongPtrA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
  // Even an inactive window gets its tools at paint.
  ExpectToolsOfDrawnTasks({{A1, A}, {B1, B}, {B2, B}});
}

INSTANTIATE_TEST_SUITE_P(Modes, TooltipModes, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return "Mode" + std::to_string(info.param); });

TEST_F(TooltipTest, SwitchingModesBeforeInitOnlyStoresTheLastOne) {
  Fill();
  panel->SETTOOLTIPMODE(2);
  panel->SETTOOLTIPMODE(0);
  panel->SETTOOLTIPMODE(1);
  EXPECT_EQ(panel->HTOOLWND, nullptr);
  EXPECT_EQ(panel->TOOLTIPMODE, 1);
  panel->SETTOOLTIPMODE(2);
  Init();
  ASSERT_NE(panel->HTOOLWND, nullptr);
  EXPECT_TRUE(GetWindowLongPtrA(panel->HTOOLWND, GWL_STYLE) & TTS_BALLOON);
  ExpectToolsOfDrawnTasks({{A1, A}, {B1, B}, {B2, B}});
}

TEST_F(TooltipTest, SwitchingModesAfterInitRebuildsTheWindow) {
  Fill();
  Init();
  ThumbTo(25);
  ::HWND first = panel->HTOOLWND;
  ASSERT_NE(first, nullptr);

  panel->SETTOOLTIPMODE(2);
  ::HWND balloon = panel->HTOOLWND;
  ASSERT_NE(balloon, nullptr);
  EXPECT_FALSE(IsWindow(first)) << "the old window goes, with its tools";
  EXPECT_TRUE(GetWindowLongPtrA(balloon, GWL_STYLE) & TTS_BALLOON);
  EXPECT_TRUE(GetWindowLongPtrA(balloon, GWL_STYLE) & TTS_ALWAYSTIP);
  EXPECT_EQ(SendMessageA(balloon, TTM_GETMAXTIPWIDTH, 0, 0), 300);
  // Every text is registered again at the rows as stored, hidden and closed ones too.
  auto tools = ToolsOf(balloon);
  EXPECT_EQ(tools.size(), 5u);
  EXPECT_EQ(tools[Id(A1)].rect, Shown(RowOf(A, A1), 0));
  EXPECT_EQ(tools.count(Id(A3)), 1u);
  EXPECT_EQ(tools.count(Id(C1)), 1u);
  // The next paint moves the drawn ones into place and takes the closed group's away; a
  // hidden task is not painted, so its tool stays.
  Paint();
  tools = ToolsOf(balloon);
  EXPECT_EQ(tools.count(Id(C1)), 0u);
  EXPECT_EQ(tools.count(Id(A3)), 1u);
  EXPECT_EQ(tools[Id(A1)].rect, Shown(RowOf(A, A1), 25));
  EXPECT_EQ(tools[Id(B2)].rect, Shown(RowOf(B, B2), 25));

  // The same mode again rebuilds as well; mode 1 gives standard tips.
  panel->SETTOOLTIPMODE(1);
  ::HWND standard = panel->HTOOLWND;
  EXPECT_FALSE(IsWindow(balloon));
  EXPECT_FALSE(GetWindowLongPtrA(standard, GWL_STYLE) & TTS_BALLOON);
  panel->SETTOOLTIPMODE(1);
  EXPECT_FALSE(IsWindow(standard));
  standard = panel->HTOOLWND;

  // Off keeps the window and its tools.
  panel->SETTOOLTIPMODE(0);
  EXPECT_EQ(panel->HTOOLWND, standard);
  EXPECT_EQ(panel->TOOLTIPMODE, 0);
  EXPECT_EQ(ToolsOf(standard).size(), 5u);
  // An unknown mode is stored as off.
  panel->SETTOOLTIPMODE(1);
  panel->SETTOOLTIPMODE(7);
  EXPECT_EQ(panel->TOOLTIPMODE, 0);
  EXPECT_TRUE(IsWindow(panel->HTOOLWND));
}

TEST_F(TooltipTest, SetMaxWidthReachesTheWindow) {
  Fill();
  panel->SETTOOLTIPMAXWIDTH(180);
  Init();
  EXPECT_EQ(SendMessageA(panel->HTOOLWND, TTM_GETMAXTIPWIDTH, 0, 0), 180);
  panel->SETTOOLTIPMAXWIDTH(300);
  EXPECT_EQ(SendMessageA(panel->HTOOLWND, TTM_GETMAXTIPWIDTH, 0, 0), 300);
}

// Watches the tooltip window while KILL runs: each tool removal, whether the control had its
// own procedure back by then, and how many tools the window still held when it was destroyed.
struct KillWatch {
  static inline WNDPROC tipProc = nullptr;
  static inline ::HWND host = nullptr;
  static inline WNDPROC hostOwnProc = nullptr;
  static inline std::vector<UINT_PTR> removed;
  static inline int removedAfterHandBack = 0;
  static inline LRESULT toolsAtDestroy = -1;

  static LRESULT CALLBACK Proc(::HWND tip, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TTM_DELTOOLA) {
      removed.push_back(reinterpret_cast<const TTTOOLINFOA*>(lp)->uId);
      if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC)) == hostOwnProc) ++removedAfterHandBack;
    }
    if (msg == WM_DESTROY) toolsAtDestroy = CallWindowProcA(tipProc, tip, TTM_GETTOOLCOUNT, 0, 0);
    return CallWindowProcA(tipProc, tip, msg, wp, lp);
  }
};

TEST_F(TooltipTest, KillRemovesTheToolsAndTheWindow) {
  Fill();
  Init();
  ::HWND tip = panel->HTOOLWND;
  ASSERT_TRUE(IsWindow(tip));
  ASSERT_EQ(ToolsOf(tip).size(), 3u);
  KillWatch::host = control;
  KillWatch::hostOwnProc = reinterpret_cast<WNDPROC>(panel->OLDWNDPROCADDR);
  KillWatch::removed.clear();
  KillWatch::removedAfterHandBack = 0;
  KillWatch::toolsAtDestroy = -1;
  KillWatch::tipProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KillWatch::Proc)));

  panel->DESTRUCT();
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_EQ(KillWatch::toolsAtDestroy, 0) << "every tool removed before the window goes";
  for (int32_t task : {A1, B1, B2})
    EXPECT_NE(std::find(KillWatch::removed.begin(), KillWatch::removed.end(), Id(task)), KillWatch::removed.end())
        << "task " << task;
  EXPECT_EQ(KillWatch::removedAfterHandBack, 0) << "tools go before the control gets its procedure back";
  EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), GetClassLongPtrA(control, GCLP_WNDPROC));
}

// ---- A tooltip window that cannot be made -------------------------------------------------

TEST_F(TooltipTest, WindowThatCannotBeMadeIsReportedAndThePanelGoesOn) {
  Fill();
  Init();
  // An owner window that no longer exists: the tooltip window cannot be created for it.
  ::HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  panel->HPARENTWND = gone;
  {
    BoxAnswerer answerer("XP-Taskpanel");
    panel->SETTOOLTIPMODE(2);
    EXPECT_EQ(panel->HTOOLWND, nullptr);
    EXPECT_EQ(answerer.answered(), 1);
    const auto texts = answerer.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "XP-Taskpanel: Unable to create tooltip parent window"),
              texts.end());
    // Without a window the tool operations do nothing, and the panel paints and clicks on.
    panel->SETTASKTOOLTIP(A, A2, "no window");
    EXPECT_EQ(StoredTask(*panel, A, A2)->TOOLTIP, "no window");
    Paint();
    Click(Middle(RowOf(A, A1)).x, Middle(RowOf(A, A1)).y);
    EXPECT_EQ(panel->calls.size(), 1u);
    // Each later rebuild tries again, and says so again.
    panel->SETTOOLTIPMODE(1);
    EXPECT_EQ(answerer.answered(), 2);
  }
  panel->HPARENTWND = host;
  panel->SETTOOLTIPMODE(1);
  ASSERT_NE(panel->HTOOLWND, nullptr);
  Paint();
  // Registered again: every text, the hidden task's too, which no paint takes away.
  ExpectToolsOfDrawnTasks({{A1, A}, {A2, A}, {A3, A}, {B1, B}, {B2, B}});
}

// ---- Tips shown with the real pointer -----------------------------------------------------

class ShownTips : public TooltipTest {
 protected:
  SIZE InitialSize() const override { return {220, 400}; }
  void SetUp() override {
    TooltipTest::SetUp();
    ScopedPointer::Park();
  }
  void TearDown() override {
    ScopedPointer::Park();
    TooltipTest::TearDown();
  }

  // Points at a task's row (really, and with the mouse message the control gets) and waits
  // to see whether the tip window shows.
  bool ShowsTipAt(int32_t h, int32_t t, DWORD waitMs = 3000) {
    Away();
    const POINT p = Middle(Shown(RowOf(h, t), panel->SCROLLPOS));
    ScopedPointer::MoveTo(control, p.x, p.y);
    MouseMove(p.x, p.y);
    return testing_support::WaitFor([&] { return panel->HTOOLWND && IsWindowVisible(panel->HTOOLWND); }, waitMs);
  }
  // The pointer off every tool, until the tip has gone.
  void Away() {
    const int x = ClientRect().right - 2, y = 2;
    ScopedPointer::MoveTo(control, x, y);
    MouseMove(x, y);
    testing_support::WaitFor([&] { return !panel->HTOOLWND || !IsWindowVisible(panel->HTOOLWND); }, 2000);
  }
  static POINT Middle(const Box& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  ScopedPointer pointer_;
};

TEST_F(ShownTips, ModesDecideWhetherTipsShowEvenForAnInactiveWindow) {
  Fill();
  panel->SETTOOLTIPMODE(0);
  Init();
  ASSERT_NE(GetForegroundWindow(), host);
  EXPECT_FALSE(ShowsTipAt(A, A1, 1500)) << "mode 0: inactive";

  panel->SETTOOLTIPMODE(1);
  Paint();
  EXPECT_TRUE(ShowsTipAt(A, A1)) << "mode 1 shows standard tips";

  panel->SETTOOLTIPMODE(2);
  Paint();
  EXPECT_TRUE(ShowsTipAt(B, B1)) << "mode 2 shows balloons";
  EXPECT_TRUE(GetWindowLongPtrA(panel->HTOOLWND, GWL_STYLE) & TTS_BALLOON);

  panel->SETTOOLTIPMODE(0);
  EXPECT_FALSE(ShowsTipAt(B, B1, 1500)) << "mode 0 after INIT deactivates";

  panel->SETTOOLTIPMODE(1);
  Paint();
  EXPECT_TRUE(ShowsTipAt(B, B2));
  panel->SETTOOLTIPMODE(9);
  EXPECT_FALSE(ShowsTipAt(B, B2, 1500)) << "an unknown mode is off at once";
  Away();
}

// Taking one task's tool away must not stop the tips of the control's other tasks.
TEST_F(ShownTips, TipsStillShowAfterAGroupIsCollapsedAndATextCleared) {
  Fill();
  Init();
  ASSERT_TRUE(ShowsTipAt(A, A1));
  panel->SETEXPANDED(B, 0);
  Paint();
  ASSERT_EQ(ToolsOf(panel->HTOOLWND).count(Id(B1)), 0u);
  EXPECT_TRUE(ShowsTipAt(A, A1)) << "after collapsing a group";
  panel->SETEXPANDED(B, 1);
  Paint();
  panel->SETTASKTOOLTIP(B, B1, "");
  EXPECT_TRUE(ShowsTipAt(B, B2)) << "after clearing a text";
  EXPECT_FALSE(ShowsTipAt(B, B1, 1500)) << "a task without a text shows no tip";
  Away();
}

TEST_F(ShownTips, LongTextWrapsAtTheMaximumWidth) {
  Fill();
  const std::string longText =
      "This tip is much longer than three hundred pixels, so the tooltip control breaks it onto "
      "further lines instead of drawing one very wide window across the screen.";
  panel->SETTASKTOOLTIP(B, B1, longText);
  Init();
  ASSERT_TRUE(ShowsTipAt(A, A1));
  RECT shortTip{};
  GetWindowRect(panel->HTOOLWND, &shortTip);
  ASSERT_TRUE(ShowsTipAt(B, B1));
  RECT longTip{};
  GetWindowRect(panel->HTOOLWND, &longTip);
  Away();

  HDC dc = GetDC(panel->HTOOLWND);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(panel->HTOOLWND, WM_GETFONT, 0, 0)));
  SIZE oneLine{};
  GetTextExtentPoint32A(dc, longText.c_str(), static_cast<int>(longText.size()), &oneLine);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(panel->HTOOLWND, dc);

  ASSERT_GT(oneLine.cx, 600) << "the text would be far wider than 300 pixels on one line";
  const int width = longTip.right - longTip.left;
  const int height = longTip.bottom - longTip.top;
  EXPECT_LE(width, 300 + 40) << "the text is at most 300 pixels wide, plus the tip's margins";
  EXPECT_GE(height, (shortTip.bottom - shortTip.top) + 2 * tm.tmHeight) << "at least three lines";
}

}  // namespace
}  // namespace panel_test
