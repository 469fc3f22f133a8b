// Mimic buttons: tasks that mirror real buttons of the owner window, the button procedure the
// panel installs, and the buttons' own behaviour before and after KILL.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input_support.h"
#include "panel_fixture.h"
#include "runtime/properties.h"

namespace panel_test {
namespace {

constexpr int32_t kSave = 5;
constexpr int32_t kOpen = 6;

thread_local std::vector<WPARAM> t_commands;  // WM_COMMAND wParams the host received

LRESULT CALLBACK RecordingHostProc(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) t_commands.push_back(wp);
  return DefWindowProcA(h, msg, wp, lp);
}

class MimicTest : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    // The panel's control above, two real push buttons of the owner below it.
    SetWindowPos(control, nullptr, 0, 0, 220, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    save = MakeButton("&Save", kSave, 310);
    open = MakeButton("Open", kOpen, 350);
    saveProc = GetWindowLongPtrA(save, GWLP_WNDPROC);
    openProc = GetWindowLongPtrA(open, GWLP_WNDPROC);
    t_commands.clear();
    SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingHostProc));
    PumpPending();
  }

  ::HWND MakeButton(const char* text, int32_t id, int y, DWORD visible = WS_VISIBLE) {
    return CreateWindowExA(0, "BUTTON", text, WS_CHILD | visible | BS_PUSHBUTTON, 10, y, 100, 30, host,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  }

  const QTP_TASKITEM& Task(int32_t t) { return *StoredTask(*panel, header, t); }
  // Whether the task's row shows the task colour (a drawn row) at its last place.
  bool RowDrawn(const QTP_RECT& row) {
    return Pixel(row.LEFT + 3, row.TOP + 3 - panel->SCROLLPOS) == panel->COLORSCHEMA.TASKS.BACKGROUND;
  }
  int Clicks(int32_t id) {
    return static_cast<int>(std::count(t_commands.begin(), t_commands.end(), MAKEWPARAM(id, BN_CLICKED)));
  }

  ::HWND save = nullptr, open = nullptr;
  LONG_PTR saveProc = 0, openProc = 0;
  int32_t header = 0;
};

TEST_F(MimicTest, AddingAMimicTaskTakesTheButtonOver) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t t = panel->ADDTASK(header, "placeholder", kSave, 1);
  EXPECT_EQ(Task(t).BUTTONWND, save);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(Task(t).BUTTONWNDPROC), saveProc);
  EXPECT_EQ(GetWindowLongPtrA(save, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(QFTASKPANELCLASS_MIMICWNDPROC));
  EXPECT_EQ(GetPropA(save, QTP_CLASSADDR_PROPERTY), static_cast<HANDLE>(static_cast<QFTASKPANELCLASS*>(panel.get())));
  EXPECT_EQ(panel->GETMIMICWNDPROC(save), Task(t).BUTTONWNDPROC);
  EXPECT_EQ(panel->GETMIMICWNDPROC(open), nullptr);
  // Nothing is copied before INIT.
  EXPECT_EQ(Task(t).TITLE, "placeholder");
  // The button still works, through the panel's procedure.
  SendMessageA(save, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks(kSave), 1);
}

TEST_F(MimicTest, TaskFollowsTextIconAndEnabledState) {
  rt::SetControlIcon(kSave, "~SAVE.ICO");
  header = panel->ADDHEADER("Actions", 0);
  const int32_t t = panel->ADDTASK(header, "placeholder", kSave, 1, "MINE.ICO");
  ChangeTask(*panel, header, t, [](QTP_TASKITEM& task) { task.ISDISABLED = 1; });
  Init();
  EXPECT_EQ(Task(t).TITLE, "&Save");
  EXPECT_EQ(Task(t).ICONNAME, "SAVE.ICO");
  EXPECT_EQ(Task(t).ISVISIBLE, 1);
  const QTP_RECT row = Task(t).MOUSERECT;
  EXPECT_TRUE(RowDrawn(row));

  // Text and icon changes show at the next paint.
  SetWindowTextA(save, "Save &all");
  rt::SetControlIcon(kSave, "OTHER.ICO");
  Paint();
  EXPECT_EQ(Task(t).TITLE, "Save &all");
  EXPECT_EQ(Task(t).ICONNAME, "OTHER.ICO");
  rt::SetControlIcon(kSave, "   ");
  Paint();
  EXPECT_EQ(Task(t).ICONNAME, "OTHER.ICO") << "a blank icon keeps the task's";
  rt::SetControlIcon(kSave, "~~TWICE.ICO");
  Paint();
  EXPECT_EQ(Task(t).ICONNAME, "~TWICE.ICO") << "one leading tilde goes, not more";

  // Disabling the button repaints the panel at once and hides the task.
  UpdateWindow(control);
  EnableWindow(save, FALSE);
  EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
  Pump();
  EXPECT_EQ(Task(t).ISVISIBLE, 0);
  EXPECT_EQ(Task(t).ISDISABLED, 1);
  EXPECT_FALSE(RowDrawn(row));
  Click(row.LEFT + 20, (row.TOP + row.BOTTOM) / 2);
  EXPECT_TRUE(panel->calls.empty());

  EnableWindow(save, TRUE);
  EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
  Pump();
  EXPECT_EQ(Task(t).ISVISIBLE, 1);
  EXPECT_EQ(Task(t).ISDISABLED, 1) << "drawn disabled as before";
  EXPECT_TRUE(RowDrawn(row));
}

// The button's own procedure, watched: whether the panel had already asked for its repaint
// when an enable or disable reached the button.
struct EnableWatch {
  static inline WNDPROC own = nullptr;
  static inline ::HWND panelControl = nullptr;
  static inline std::vector<bool> repaintAskedFirst;
  static LRESULT CALLBACK Proc(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ENABLE) repaintAskedFirst.push_back(GetUpdateRect(panelControl, nullptr, FALSE) != FALSE);
    return CallWindowProcA(own, h, msg, wp, lp);
  }
};

TEST_F(MimicTest, EnablingRepaintsThePanelBeforeTheButtonSeesIt) {
  EnableWatch::own = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(save, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EnableWatch::Proc)));
  EnableWatch::panelControl = control;
  EnableWatch::repaintAskedFirst.clear();
  header = panel->ADDHEADER("Actions", 0);
  panel->ADDTASK(header, "save", kSave, 1);
  Init();
  UpdateWindow(control);
  EnableWindow(save, FALSE);
  Pump();
  EnableWindow(save, TRUE);
  EXPECT_EQ(EnableWatch::repaintAskedFirst, (std::vector<bool>{true, true}));
  panel->DESTRUCT();
  EXPECT_EQ(GetWindowLongPtrA(save, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&EnableWatch::Proc));
  SetWindowLongPtrA(save, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EnableWatch::own));
}

TEST_F(MimicTest, OwnIconKeptAndLongTextCut) {
  rt::SetControlIcon(kOpen, "OPEN.ICO");
  SetWindowTextA(open, std::string(300, 'b').c_str());
  header = panel->ADDHEADER("Actions", 0);
  const int32_t t = panel->ADDTASK(header, "mine", kOpen, 1, "OWN.ICO", 1);
  Init();
  EXPECT_EQ(Task(t).ICONNAME, "OWN.ICO");
  EXPECT_EQ(Task(t).TITLE, std::string(254, 'b'));
}

TEST_F(MimicTest, WhileAnotherWindowIsTheTargetTheTaskKeepsItsValues) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t t = panel->ADDTASK(header, "placeholder", kSave, 1);
  Init();
  ASSERT_EQ(Task(t).TITLE, "&Save");
  PanelHost dialog(100, 100, 500, 40);
  SetWindowTextA(save, "Changed");
  {
    rt::ScopedTarget other(dialog.host());
    Paint();
    EXPECT_EQ(Task(t).TITLE, "&Save");
  }
  Paint();
  EXPECT_EQ(Task(t).TITLE, "Changed");
}

TEST_F(MimicTest, ClickPostsTheButtonsAcceptedEventThenCallsTheOwner) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t posting = panel->ADDTASK(header, "save", kSave, 1);
  const int32_t quiet = panel->ADDTASK(header, "open", kOpen, 2);  // mimics, but posts nothing
  Init();
  std::vector<bool> postedBeforeCall;
  panel->onAction = [&](RecordingPanel&, const ActionCall&) {
    MSG m;
    postedBeforeCall.push_back(PeekMessageA(&m, host, rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_NOREMOVE) != FALSE);
  };
  auto takeEvents = [&] {
    std::vector<std::pair<WPARAM, LPARAM>> out;
    MSG m;
    while (PeekMessageA(&m, host, rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_REMOVE)) out.emplace_back(m.wParam, m.lParam);
    return out;
  };

  const POINT p = Middle(Task(posting).MOUSERECT);
  Click(p.x, p.y);
  EXPECT_EQ(panel->calls, (std::vector<ActionCall>{{header, posting, 1, kSave}}));
  EXPECT_EQ(postedBeforeCall, std::vector<bool>{true});
  EXPECT_EQ(takeEvents(), (std::vector<std::pair<WPARAM, LPARAM>>{{rt::EVENT_Accepted, kSave}}));

  const POINT q = Middle(Task(quiet).MOUSERECT);
  Click(q.x, q.y);
  ASSERT_EQ(panel->calls.size(), 2u);
  EXPECT_EQ(panel->calls[1], (ActionCall{header, quiet, 1, kOpen}));
  EXPECT_TRUE(takeEvents().empty());
  EXPECT_EQ(Clicks(kSave), 0) << "the button itself is not pressed";
}

TEST_F(MimicTest, KillGivesEveryButtonItsOwnProcedureBack) {
  header = panel->ADDHEADER("Actions", 0);
  panel->ADDTASK(header, "save", kSave, 1);
  const int32_t second = panel->ADDHEADER("More", 1);
  panel->ADDTASK(second, "open", kOpen, 1);
  Init();
  SendMessageA(open, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks(kOpen), 1);

  panel->DESTRUCT();
  EXPECT_EQ(GetWindowLongPtrA(save, GWLP_WNDPROC), saveProc);
  EXPECT_EQ(GetWindowLongPtrA(open, GWLP_WNDPROC), openProc);
  EXPECT_EQ(GetPropA(save, QTP_CLASSADDR_PROPERTY), nullptr);
  EXPECT_EQ(GetPropA(open, QTP_CLASSADDR_PROPERTY), nullptr);
  // Plain buttons again.
  SendMessageA(save, BM_CLICK, 0, 0);
  SendMessageA(open, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks(kSave), 1);
  EXPECT_EQ(Clicks(kOpen), 2);
  EnableWindow(save, FALSE);
  EXPECT_FALSE(IsWindowEnabled(save));
  char text[32] = {};
  GetWindowTextA(save, text, sizeof text);
  EXPECT_STREQ(text, "&Save");
}

TEST_F(MimicTest, SecondTaskOnTheSameButtonDoesNotTakeItOverTwice) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t first = panel->ADDTASK(header, "save", kSave, 1);
  const int32_t again = panel->ADDTASK(header, "save again", kSave, 1);
  EXPECT_EQ(Task(again).BUTTONWNDPROC, Task(first).BUTTONWNDPROC);
  Init();
  SendMessageA(save, BM_CLICK, 0, 0);  // would never return if the button forwarded to itself
  EXPECT_EQ(Clicks(kSave), 1);
  EXPECT_EQ(Task(again).TITLE, "&Save");
  panel->DESTRUCT();
  EXPECT_EQ(GetWindowLongPtrA(save, GWLP_WNDPROC), saveProc);
}

TEST_F(MimicTest, UnknownIdsTakeNoButtonOver) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t t = panel->ADDTASK(header, "plain", kOpen);
  panel->ADDITEMMIMIC(header + 1, t, kSave);
  panel->ADDITEMMIMIC(header, t + 1, kSave);
  EXPECT_EQ(GetWindowLongPtrA(save, GWLP_WNDPROC), saveProc);
  EXPECT_EQ(GetPropA(save, QTP_CLASSADDR_PROPERTY), nullptr);
  EXPECT_EQ(Task(t).BUTTONWND, nullptr);
}

// A button whose panel holds no task for it: the message is answered with 0 and the button
// never sees it.
TEST_F(MimicTest, ButtonThatNoTaskHoldsGetsNothing) {
  ::HWND loose = MakeButton("loose", 8, 200, 0);
  SetPropA(loose, QTP_CLASSADDR_PROPERTY, static_cast<QFTASKPANELCLASS*>(panel.get()));
  const LONG_PTR own = SetWindowLongPtrA(loose, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QFTASKPANELCLASS_MIMICWNDPROC));
  EXPECT_EQ(SendMessageA(loose, WM_GETTEXTLENGTH, 0, 0), 0);
  SetWindowLongPtrA(loose, GWLP_WNDPROC, own);
  RemovePropA(loose, QTP_CLASSADDR_PROPERTY);
  EXPECT_EQ(SendMessageA(loose, WM_GETTEXTLENGTH, 0, 0), 5);
  DestroyWindow(loose);
}

// A button procedure that finds no panel shows the stop message; a user who goes on gets the
// message answered with 0. A message that reaches the button while the box is open (here one
// posted before, which the box's own loop delivers) gets the default handling, not a second box.
TEST_F(MimicTest, ButtonWithoutPanelShowsOneStopMessage) {
  ::HWND orphan = MakeButton("orphan", 9, 200, 0);
  const LONG_PTR own =
      SetWindowLongPtrA(orphan, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QFTASKPANELCLASS_MIMICWNDPROC));
  LRESULT result = -1;
  std::vector<std::string> texts;
  int boxes = 0;
  bool deliveredInsideTheBox = false;
  {
    BoxAnswerer goOn("no win", IDOK);
    PostMessageA(orphan, WM_NULL, 0, 0);
    result = SendMessageA(orphan, WM_GETTEXTLENGTH, 0, 0);
    MSG left;
    deliveredInsideTheBox = !PeekMessageA(&left, orphan, 0, 0, PM_REMOVE);
    // The answering thread counts a box just after pressing its button.
    testing_support::WaitFor([&] { return goOn.answered() >= 1; }, 5000);
    boxes = goOn.answered();
    texts = goOn.texts();
  }
  SetWindowLongPtrA(orphan, GWLP_WNDPROC, own);
  DestroyWindow(orphan);
  EXPECT_TRUE(deliveredInsideTheBox);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(result, 0);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "Stop");
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                          [](const std::string& s) { return s.rfind("no win", 0) == 0; }));
}

// A button message that arrives while the panel works through its lists (a paint's walk, the
// owner between GETHDR and PutQueue) finds the button's procedure without moving the panel's
// current header or task.
TEST_F(MimicTest, ButtonMessagesLeaveTheCurrentEntriesAlone) {
  header = panel->ADDHEADER("Actions", 0);
  const int32_t plain = panel->ADDTASK(header, "plain", kOpen);
  const int32_t other = panel->ADDTASK(header, "other", kOpen);
  const int32_t second = panel->ADDHEADER("More", 0);
  panel->ADDTASK(second, "save", kSave, 1);
  Init();
  ASSERT_TRUE(panel->GETHDR(header));
  ASSERT_TRUE(panel->GETTSK(plain));
  QTP_TASKQUEUE& tasks = *panel->HEADERS->buffer.TASKQUEUE;
  tasks.buffer.TITLE = "being edited";  // an owner's change not yet written back

  char text[32] = {};
  EXPECT_EQ(SendMessageA(save, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_STREQ(text, "&Save");
  EnableWindow(save, FALSE);  // the message the panel itself acts on

  EXPECT_EQ(panel->HEADERS->Pointer(), 1u);
  EXPECT_EQ(panel->HEADERS->buffer.ID, header);
  EXPECT_EQ(&tasks, panel->HEADERS->buffer.TASKQUEUE);
  EXPECT_EQ(tasks.Pointer(), 1u);
  EXPECT_EQ(tasks.buffer.TITLE, "being edited");
  ASSERT_TRUE(rt::PutQueue(tasks));
  EXPECT_EQ(Task(plain).TITLE, "being edited");
  EXPECT_EQ(Task(other).TITLE, "other");
}

}  // namespace
}  // namespace panel_test
