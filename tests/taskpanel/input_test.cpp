// Hover, clicks and the pointer shape of the task panel, driven by real mouse messages sent
// to the taken-over control, with and without the content scrolled.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "input_support.h"
#include "panel_fixture.h"

namespace panel_test {
namespace {

// The content every table case works on: a closed group on top (so that every target can be
// scrolled to), an open group with an enabled, a disabled and a third task, an always-expanded
// group, an open group, and a boxed group at the bottom.
struct Content {
  int32_t F = 0, A = 0, B = 0, C = 0, D = 0;
  int32_t F1 = 0, A1 = 0, A2 = 0, A3 = 0, B1 = 0, C1 = 0, D1 = 0;
};

Content BuildContent(RecordingPanel& p) {
  Content c;
  p.SETFONT("Tahoma");
  c.F = p.ADDHEADER("Folded", 0, 0);
  c.F1 = p.ADDTASK(c.F, "Inside", 1);
  c.A = p.ADDHEADER("Alpha", 0);
  c.A1 = p.ADDTASK(c.A, "One", 11);
  c.A2 = p.ADDTASK(c.A, "Two", 12);
  c.A3 = p.ADDTASK(c.A, "Three", 13);
  c.B = p.ADDHEADER("Always", 0);
  c.B1 = p.ADDTASK(c.B, "Bee", 21);
  c.C = p.ADDHEADER("Closable", 1);
  c.C1 = p.ADDTASK(c.C, "Cee", 31);
  c.D = p.ADDHEADER("Boxed", 0);
  c.D1 = p.ADDTASK(c.D, "Dee", 41);
  ChangeTask(p, c.A, c.A2, [](QTP_TASKITEM& t) { t.ISDISABLED = 1; });
  ChangeHeader(p, c.B, [](QTP_HEADERITEM& h) { h.ISALWAYSEXPANDED = 1; });
  ChangeHeader(p, c.D, [](QTP_HEADERITEM& h) { h.ISBOXED = 1; });
  return c;
}

enum class Target { FBar, ABar, A1, A2, A3, BBar, B1, CBar, C1, DBar, D1, Below, RightOf, A1Left, A1Top, A1Right };

// The point of a target in content coordinates, from the hit rectangles of the last paint.
POINT ContentPointOf(RecordingPanel& p, const Content& c, Target t, int clientWidth) {
  auto hdr = [&](int32_t id) { return StoredHeader(p, id)->MOUSERECT; };
  auto tsk = [&](int32_t h, int32_t id) { return StoredTask(p, h, id)->MOUSERECT; };
  switch (t) {
    case Target::FBar: return Middle(hdr(c.F));
    case Target::ABar: return Middle(hdr(c.A));
    case Target::A1: return Middle(tsk(c.A, c.A1));
    case Target::A2: return Middle(tsk(c.A, c.A2));
    case Target::A3: return Middle(tsk(c.A, c.A3));
    case Target::BBar: return Middle(hdr(c.B));
    case Target::B1: return Middle(tsk(c.B, c.B1));
    case Target::CBar: return Middle(hdr(c.C));
    case Target::C1: return Middle(tsk(c.C, c.C1));
    case Target::DBar: return POINT{Middle(hdr(c.D)).x, hdr(c.D).TOP};  // a boxed header has no bar
    case Target::D1: return Middle(tsk(c.D, c.D1));
    case Target::Below: return POINT{Middle(tsk(c.D, c.D1)).x, tsk(c.D, c.D1).BOTTOM + 8};
    case Target::RightOf: return POINT{clientWidth - 3, Middle(tsk(c.A, c.A1)).y};
    // The edges of a hit rectangle: left and top belong to it, right does not.
    case Target::A1Left: return POINT{tsk(c.A, c.A1).LEFT, Middle(tsk(c.A, c.A1)).y};
    case Target::A1Top: return POINT{Middle(tsk(c.A, c.A1)).x, tsk(c.A, c.A1).TOP};
    case Target::A1Right: return POINT{tsk(c.A, c.A1).RIGHT, Middle(tsk(c.A, c.A1)).y};
  }
  return POINT{};
}

// Changes made to the model after the paint that laid it out, before the mouse acts.
enum class Change { None, HideA3, CloseC, HideA };

void Apply(RecordingPanel& p, const Content& c, Change change) {
  switch (change) {
    case Change::None: break;
    case Change::HideA3: ChangeTask(p, c.A, c.A3, [](QTP_TASKITEM& t) { t.ISVISIBLE = 0; }); break;
    case Change::CloseC: ChangeHeader(p, c.C, [](QTP_HEADERITEM& h) { h.ISEXPANDED = 0; }); break;
    case Change::HideA: ChangeHeader(p, c.A, [](QTP_HEADERITEM& h) { h.ISVISIBLE = 0; }); break;
  }
}

// Runs with the content fitting the control, and again with a lower control whose content
// is scrolled so that the target is in view.
class PointerTest : public PanelFixture {
 protected:
  SIZE InitialSize() const override { return {220, scrolled_ ? 150 : 400}; }

  void SetUp() override {
    PanelFixture::SetUp();
    ScopedPointer::Park();
  }

  // Lays the content out and, in the scrolled runs, scrolls with WM_VSCROLL SB_THUMBTRACK
  // until `contentPoint` lies in the upper half of the control.
  void Prepare(Target target) {
    content = BuildContent(*panel);
    Init();
    if (!scrolled_) {
      ASSERT_EQ(panel->SCROLLPOS, 0);
      ASSERT_FALSE(VerticalBarShown()) << "the content should fit the control";
    } else {
      const POINT p = ContentPointOf(*panel, content, target, ClientRect().right);
      const int wanted = std::max<int>(p.y - 60, p.y / 2);
      ThumbTo(wanted);
      ASSERT_GT(panel->SCROLLPOS, 0);
    }
  }


  // The target's point in client coordinates, as a mouse message carries it.
  LPARAM At(Target t) {
    const POINT p = ContentPointOf(*panel, content, t, ClientRect().right);
    const int y = p.y - panel->SCROLLPOS;
    EXPECT_GE(y, 0);
    EXPECT_LT(y, ClientRect().bottom);
    return MAKELPARAM(p.x, y);
  }

  std::set<std::string> Hovered() {
    std::set<std::string> out;
    const std::pair<const char*, int32_t> headers[] = {
        {"F", content.F}, {"A", content.A}, {"B", content.B}, {"C", content.C}, {"D", content.D}};
    for (auto [name, id] : headers)
      if (StoredHeader(*panel, id)->ISHOVERED) out.insert(name);
    struct T {
      const char* name;
      int32_t h, t;
    };
    const T tasks[] = {{"F1", content.F, content.F1}, {"A1", content.A, content.A1}, {"A2", content.A, content.A2},
                       {"A3", content.A, content.A3}, {"B1", content.B, content.B1}, {"C1", content.C, content.C1},
                       {"D1", content.D, content.D1}};
    for (const T& t : tasks)
      if (StoredTask(*panel, t.h, t.t)->ISHOVERED) out.insert(t.name);
    return out;
  }

  bool scrolled_ = false;
  Content content;
};

// ---- Clicks -------------------------------------------------------------------------------

enum class Gesture { LeftRelease, LeftPressOnly, PressElsewhereReleaseHere, Right, Middle };

struct ClickCase {
  const char* name;
  Change change;
  Target target;
  Gesture gesture;
  std::vector<ActionCall> (*expected)(const Content&);
};
// Failures name the case rather than dump its bytes.
inline void PrintTo(const ClickCase& k, std::ostream* os) { *os << k.name; }

const ClickCase kClickCases[] = {
    {"OpenHeader", Change::None, Target::ABar, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.A, 0, 1, 1}}; }},
    {"ClosedHeader", Change::None, Target::FBar, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.F, 0, 1, 0}}; }},
    {"HeaderJustClosed", Change::CloseC, Target::CBar, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.C, 0, 1, 0}}; }},
    {"AlwaysExpandedHeader", Change::None, Target::BBar, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"BoxedHeader", Change::None, Target::DBar, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"EnabledTask", Change::None, Target::A1, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.A, c.A1, 1, 11}}; }},
    {"DisabledTask", Change::None, Target::A2, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"HiddenTask", Change::HideA3, Target::A3, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    // A hidden header keeps the rectangles of its last paint; neither they nor its tasks'
    // take clicks.
    {"HiddenHeader", Change::HideA, Target::ABar, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"TaskOfHiddenHeader", Change::HideA, Target::A1, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"TaskOfAlwaysExpandedGroup", Change::None, Target::B1, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.B, c.B1, 1, 21}}; }},
    {"TaskOfClosedGroup", Change::CloseC, Target::C1, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"TaskOfBoxedGroup", Change::None, Target::D1, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.D, c.D1, 1, 41}}; }},
    {"BelowAllContent", Change::None, Target::Below, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"TaskLeftEdge", Change::None, Target::A1Left, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.A, c.A1, 1, 11}}; }},
    {"TaskTopEdge", Change::None, Target::A1Top, Gesture::LeftRelease,
     [](const Content& c) { return std::vector<ActionCall>{{c.A, c.A1, 1, 11}}; }},
    {"TaskRightEdge", Change::None, Target::A1Right, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"RightOfAllContent", Change::None, Target::RightOf, Gesture::LeftRelease,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"PressElsewhereReleaseOverTask", Change::None, Target::A1, Gesture::PressElsewhereReleaseHere,
     [](const Content& c) { return std::vector<ActionCall>{{c.A, c.A1, 1, 11}}; }},
    {"PressWithoutRelease", Change::None, Target::A1, Gesture::LeftPressOnly,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"RightButton", Change::None, Target::A1, Gesture::Right,
     [](const Content&) { return std::vector<ActionCall>{}; }},
    {"MiddleButton", Change::None, Target::ABar, Gesture::Middle,
     [](const Content&) { return std::vector<ActionCall>{}; }},
};

class ClickTable : public PointerTest, public ::testing::WithParamInterface<std::tuple<ClickCase, bool>> {
 protected:
  void SetUp() override {
    scrolled_ = std::get<1>(GetParam());
    PointerTest::SetUp();
  }
};

TEST_P(ClickTable, ExecuteActionSeesExactlyTheseCalls) {
  const ClickCase& k = std::get<0>(GetParam());
  ASSERT_NO_FATAL_FAILURE(Prepare(k.target));
  Apply(*panel, content, k.change);
  const LPARAM at = At(k.target);
  const LPARAM elsewhere = MAKELPARAM(ClientRect().right - 3, 2);  // the right margin: nothing there
  switch (k.gesture) {
    case Gesture::LeftRelease: Send(WM_LBUTTONUP, 0, at); break;
    case Gesture::LeftPressOnly: Send(WM_LBUTTONDOWN, MK_LBUTTON, at); break;
    case Gesture::PressElsewhereReleaseHere:
      Send(WM_LBUTTONDOWN, MK_LBUTTON, elsewhere);
      Send(WM_MOUSEMOVE, MK_LBUTTON, at);
      Send(WM_LBUTTONUP, 0, at);
      break;
    case Gesture::Right:
      Send(WM_RBUTTONDOWN, MK_RBUTTON, at);
      Send(WM_RBUTTONUP, 0, at);
      break;
    case Gesture::Middle:
      Send(WM_MBUTTONDOWN, MK_MBUTTON, at);
      Send(WM_MBUTTONUP, 0, at);
      break;
  }
  EXPECT_EQ(panel->calls, k.expected(content));
  // The panel never opens or closes a group itself.
  EXPECT_EQ(StoredHeader(*panel, content.A)->ISEXPANDED, 1);
  EXPECT_EQ(StoredHeader(*panel, content.F)->ISEXPANDED, 0);
}

std::string ClickName(const ::testing::TestParamInfo<std::tuple<ClickCase, bool>>& info) {
  return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_Scrolled" : "_Top");
}

INSTANTIATE_TEST_SUITE_P(Cases, ClickTable, ::testing::Combine(::testing::ValuesIn(kClickCases), ::testing::Bool()),
                         ClickName);

// ---- Hover --------------------------------------------------------------------------------

struct HoverCase {
  const char* name;
  std::vector<Target> before;  // moves before the change
  Change change;
  Target target;  // the move whose outcome is checked
  std::set<std::string> hovered;
};
inline void PrintTo(const HoverCase& k, std::ostream* os) { *os << k.name; }

const HoverCase kHoverCases[] = {
    {"EnabledTask", {}, Change::None, Target::A1, {"A1"}},
    {"MovingOnClearsTheLast", {Target::A1}, Change::None, Target::A3, {"A3"}},
    {"HeaderBar", {Target::A1}, Change::None, Target::ABar, {"A"}},
    {"LeavingABarClearsIt", {Target::ABar}, Change::None, Target::A1, {"A1"}},
    {"ClosedHeaderBar", {}, Change::None, Target::FBar, {"F"}},
    {"DisabledTask", {Target::A1}, Change::None, Target::A2, {}},
    {"HiddenTask", {Target::A3}, Change::HideA3, Target::A3, {}},
    // A hidden header and its tasks keep their flags, even under the pointer.
    {"HiddenHeaderKeepsItsFlags", {Target::A1}, Change::HideA, Target::ABar, {"A1"}},
    // The same place again changes no flag, and still repaints.
    {"SameTaskAgain", {Target::A1}, Change::None, Target::A1, {"A1"}},
    {"AlwaysExpandedBarKeepsItsGroup", {Target::B1}, Change::None, Target::BBar, {"B1"}},
    {"TaskOfAlwaysExpandedGroup", {}, Change::None, Target::B1, {"B1"}},
    {"ClosedGroupKeepsItsTaskFlags", {Target::C1}, Change::CloseC, Target::CBar, {"C", "C1"}},
    {"BoxedHeaderHasNoBar", {Target::D1}, Change::None, Target::DBar, {}},
    {"BelowAllContent", {Target::D1}, Change::None, Target::Below, {}},
    {"TaskLeftEdge", {}, Change::None, Target::A1Left, {"A1"}},
    {"TaskRightEdge", {Target::A1}, Change::None, Target::A1Right, {}},
    {"RightOfAllContent", {Target::A1}, Change::None, Target::RightOf, {}},
};

class HoverTable : public PointerTest, public ::testing::WithParamInterface<std::tuple<HoverCase, bool>> {
 protected:
  void SetUp() override {
    scrolled_ = std::get<1>(GetParam());
    PointerTest::SetUp();
  }
};

TEST_P(HoverTable, MouseMovesSetAndClearTheFlags) {
  const HoverCase& k = std::get<0>(GetParam());
  ASSERT_NO_FATAL_FAILURE(Prepare(k.target));
  for (Target t : k.before) Send(WM_MOUSEMOVE, 0, At(t));
  Apply(*panel, content, k.change);
  UpdateWindow(control);
  ASSERT_FALSE(GetUpdateRect(control, nullptr, FALSE));
  Send(WM_MOUSEMOVE, 0, At(k.target));
  EXPECT_EQ(Hovered(), k.hovered);
  // Every move asks for a repaint, whether or not a flag changed.
  EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
  EXPECT_TRUE(panel->calls.empty());
}

std::string HoverName(const ::testing::TestParamInfo<std::tuple<HoverCase, bool>>& info) {
  return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_Scrolled" : "_Top");
}

INSTANTIATE_TEST_SUITE_P(Cases, HoverTable, ::testing::Combine(::testing::ValuesIn(kHoverCases), ::testing::Bool()),
                         HoverName);

// ---- Pointer shape ------------------------------------------------------------------------

struct ShapeCase {
  uint8_t noGradient, isNt;
};

class PointerShape : public PointerTest, public ::testing::WithParamInterface<ShapeCase> {};

// What each action leaves as the thread's cursor, starting each time from a cross that the
// panel never sets itself.
TEST_P(PointerShape, HandAndArrowOnlyWhereThePanelSetsShapes) {
  const ShapeCase k = GetParam();
  if (!k.noGradient && !HaveGradients()) GTEST_SKIP() << "no gradient function in this run";
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  panel->NOGRADIENT = k.noGradient;
  panel->ISNT = k.isNt;  // Wine reports a later version, so the old-system switch is set here
  const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(hand, nullptr);
  const bool setsShapes = !k.noGradient && !k.isNt;

  auto after = [&](UINT msg, Target t) {
    SetCursor(cross);
    Send(msg, 0, At(t));
    return GetCursor();
  };
  EXPECT_EQ(after(WM_MOUSEMOVE, Target::A1), setsShapes ? hand : cross);
  EXPECT_EQ(after(WM_MOUSEMOVE, Target::ABar), setsShapes ? hand : cross);
  EXPECT_EQ(after(WM_MOUSEMOVE, Target::A2), setsShapes ? arrow : cross);  // disabled
  EXPECT_EQ(after(WM_MOUSEMOVE, Target::BBar), setsShapes ? arrow : cross);  // always expanded
  EXPECT_EQ(after(WM_MOUSEMOVE, Target::Below), setsShapes ? arrow : cross);
  EXPECT_EQ(after(WM_LBUTTONUP, Target::A1), setsShapes ? hand : cross);
  EXPECT_EQ(after(WM_LBUTTONUP, Target::ABar), setsShapes ? hand : cross);
  EXPECT_EQ(after(WM_LBUTTONUP, Target::Below), setsShapes ? arrow : cross);
  EXPECT_EQ(after(WM_RBUTTONUP, Target::A1), cross);  // other buttons leave the shape alone

  // WM_SETCURSOR: swallowed on later systems (the shape stays), else the control's own
  // procedure shows its class cursor, the arrow.
  SetCursor(cross);
  const LRESULT r = Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  if (!k.isNt) {
    EXPECT_EQ(r, 1);
    EXPECT_EQ(GetCursor(), cross);
  } else {
    EXPECT_EQ(GetCursor(), arrow);
  }
  // Hover and clicks work whatever the shape does.
  Send(WM_MOUSEMOVE, 0, At(Target::A1));
  EXPECT_EQ(Hovered(), std::set<std::string>{"A1"});
  EXPECT_EQ(panel->calls.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Modes, PointerShape,
                         ::testing::Values(ShapeCase{0, 0}, ShapeCase{1, 0}, ShapeCase{0, 1}, ShapeCase{1, 1}),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) {
                           return std::string(info.param.noGradient ? "NoGradient" : "Gradient") +
                                  (info.param.isNt ? "_OldSystem" : "_LaterSystem");
                         });

// ---- Wizard mark --------------------------------------------------------------------------

TEST_F(PointerTest, WizardModeMarksTheClickedTaskUnlessItsGroupSaysNo) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  panel->SETWIZARDMODE(1);
  ChangeHeader(*panel, content.D, [](QTP_HEADERITEM& h) { h.DONTWIZARD = 1; });
  // The owner makes other entries current during the call; the mark still goes to the task
  // that was clicked.
  panel->onAction = [&](RecordingPanel& p, const ActionCall&) {
    p.GETHDR(content.F);
    p.GETTSK(content.F1);
  };

  Send(WM_LBUTTONUP, 0, At(Target::A1));
  EXPECT_EQ(StoredTask(*panel, content.A, content.A1)->ISBOLD, 1);
  Send(WM_LBUTTONUP, 0, At(Target::B1));
  EXPECT_EQ(StoredTask(*panel, content.B, content.B1)->ISBOLD, 1);
  EXPECT_EQ(StoredTask(*panel, content.A, content.A1)->ISBOLD, 0);
  Send(WM_LBUTTONUP, 0, At(Target::D1));  // a group that is never marked
  EXPECT_EQ(StoredTask(*panel, content.D, content.D1)->ISBOLD, 0);
  EXPECT_EQ(StoredTask(*panel, content.B, content.B1)->ISBOLD, 1);
  Send(WM_LBUTTONUP, 0, At(Target::ABar));  // headers are never marked and move no mark
  EXPECT_EQ(StoredTask(*panel, content.B, content.B1)->ISBOLD, 1);
  EXPECT_EQ(StoredTask(*panel, content.F, content.F1)->ISBOLD, 0);
  EXPECT_EQ(panel->calls.size(), 4u);
}

// Only wizard mode 1 marks: the default 0 and any other value leave every task as it is.
TEST_F(PointerTest, WithoutWizardModeNoTaskIsMarked) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  for (uint8_t mode : {0, 2}) {
    panel->SETWIZARDMODE(mode);
    Send(WM_LBUTTONUP, 0, At(Target::A1));
    EXPECT_EQ(StoredTask(*panel, content.A, content.A1)->ISBOLD, 0) << "mode " << int(mode);
  }
  ASSERT_EQ(panel->calls.size(), 2u);
}

// The control's window procedure only ever reports the left button; the click handler itself
// also turns any other button away, without a call, a repaint or a pointer shape.
TEST_F(PointerTest, ButtonsOtherThanTheLeftOneAreNoClick) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  for (uint8_t button : {0, 2, 3}) {
    SCOPED_TRACE(static_cast<int>(button));
    for (Target t : {Target::A1, Target::ABar, Target::Below}) {
      UpdateWindow(control);
      SetCursor(cross);
      panel->TAKEMOUSEBUTTONEVENT(button, At(t));
      EXPECT_TRUE(panel->calls.empty());
      EXPECT_EQ(GetCursor(), cross);
      EXPECT_FALSE(GetUpdateRect(control, nullptr, FALSE));
    }
  }
  panel->TAKEMOUSEBUTTONEVENT(1, At(Target::A1));
  EXPECT_EQ(panel->calls, (std::vector<ActionCall>{{content.A, content.A1, 1, 11}}));
}

// A header click goes on with the next headers and the owner's SETEXPANDED shows at the
// repaint that follows the call.
TEST_F(PointerTest, OwnerOpensTheGroupAndTheRepaintShowsIt) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::FBar));
  panel->onAction = [](RecordingPanel& p, const ActionCall& call) {
    if (call.task == 0) p.SETEXPANDED(call.header, call.feq ? 0 : 1);
  };
  EXPECT_TRUE(StoredTask(*panel, content.F, content.F1)->MOUSERECT.BOTTOM == 0);
  Send(WM_LBUTTONUP, 0, At(Target::FBar));
  ASSERT_EQ(panel->calls, (std::vector<ActionCall>{{content.F, 0, 1, 0}}));
  EXPECT_EQ(StoredHeader(*panel, content.F)->ISEXPANDED, 1);
  Pump();
  const QTP_RECT r = StoredTask(*panel, content.F, content.F1)->MOUSERECT;
  EXPECT_GT(r.BOTTOM, r.TOP);
  Send(WM_LBUTTONUP, 0, At(Target::ABar) /* moved down by the open group */);
  Send(WM_LBUTTONUP, 0, MAKELPARAM(Middle(r).x, Middle(r).y));
  ASSERT_EQ(panel->calls.size(), 3u);
  EXPECT_EQ(panel->calls[1], (ActionCall{content.A, 0, 1, 1}));
  EXPECT_EQ(panel->calls[2], (ActionCall{content.F, content.F1, 1, 1}));
}

// ---- A nested message loop inside EXECUTEACTION -------------------------------------------

// The owner shows a modal message box from EXECUTEACTION. While it is open, a script run by
// a thread timer (dispatched by the box's own loop) moves the mouse over another task, asks
// for a repaint and clicks a header; the panel follows all of it inside the nested loop.
struct NestedScript {
  ::HWND control = nullptr;
  LPARAM hoverAt = 0, headerAt = 0;
  int step = 0;
  bool hoveredInside = false, paintedInside = false, timerInside = false;
  RecordingPanel* panel = nullptr;
  int32_t header = 0, task = 0;
};
NestedScript* g_script = nullptr;

void CALLBACK NestedStep(::HWND, UINT, UINT_PTR id, DWORD) {
  NestedScript& s = *g_script;
  switch (s.step++) {
    case 0:
      PostMessageA(s.control, WM_MOUSEMOVE, 0, s.hoverAt);
      InvalidateRect(s.control, nullptr, FALSE);
      break;
    case 1:
      s.hoveredInside = StoredTask(*s.panel, s.header, s.task)->ISHOVERED == 1;
      s.paintedInside = !GetUpdateRect(s.control, nullptr, FALSE);
      s.timerInside = s.panel->LTIMER != 0;
      PostMessageA(s.control, WM_LBUTTONUP, 0, s.headerAt);
      break;
    default: {
      KillTimer(nullptr, id);
      // Close the box as its user would.
      struct Finder {
        static BOOL CALLBACK Proc(::HWND w, LPARAM) {
          if (testing_support::ClassOf(w) == "#32770" && IsWindowVisible(w)) PostMessageA(w, WM_COMMAND, IDOK, 0);
          return TRUE;
        }
      };
      EnumThreadWindows(GetCurrentThreadId(), Finder::Proc, 0);
      break;
    }
  }
}

TEST_F(PointerTest, OwnerRunsADialogInsideExecuteAction) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  NestedScript script;
  script.control = control;
  script.hoverAt = At(Target::B1);
  script.headerAt = At(Target::CBar);
  script.panel = panel.get();
  script.header = content.B;
  script.task = content.B1;
  g_script = &script;
  std::vector<size_t> callsWhenInnerReturned;
  int depth = 0;
  bool opened = false;
  panel->onAction = [&](RecordingPanel& p, const ActionCall&) {
    if (opened) return;  // the click inside the box, and the one after it
    opened = true;
    ++depth;
    SetTimer(nullptr, 0, 60, NestedStep);
    MessageBoxA(host, "An owner dialog", "Nested", MB_OK);
    callsWhenInnerReturned.push_back(p.calls.size());
    --depth;
  };
  Send(WM_LBUTTONUP, 0, At(Target::A1));
  g_script = nullptr;
  EXPECT_EQ(depth, 0);
  EXPECT_TRUE(script.hoveredInside);
  EXPECT_TRUE(script.paintedInside);
  EXPECT_TRUE(script.timerInside);
  EXPECT_EQ(panel->calls, (std::vector<ActionCall>{{content.A, content.A1, 1, 11}, {content.C, 0, 1, 1}}));
  EXPECT_EQ(callsWhenInnerReturned, std::vector<size_t>{2});
  // The panel goes on as before after the call.
  Pump();
  Send(WM_LBUTTONUP, 0, At(Target::D1));
  EXPECT_EQ(panel->calls.back(), (ActionCall{content.D, content.D1, 1, 41}));
}

// ---- What the user sees: the underlined title and the end of hover ----------------------

// The longest horizontal run of one colour within a rectangle of a capture.
int LongestRun(const testing_support::Capture& cap, const QTP_RECT& r, int scroll, COLORREF colour) {
  int best = 0;
  for (int y = r.TOP - scroll; y < r.BOTTOM - scroll; ++y) {
    int run = 0;
    for (int x = r.LEFT; x < r.RIGHT; ++x) {
      run = cap.At(x, y) == colour ? run + 1 : 0;
      best = std::max(best, run);
    }
  }
  return best;
}

class HoverEnd : public PointerTest {};

TEST_F(HoverEnd, HoveredTitleIsUnderlinedUntilThePointerLeavesThenTicksStop) {
  content = BuildContent(*panel);
  const int32_t wide = panel->ADDTASK(content.A, "Underlined wide title", 15);
  Init();
  const QTP_RECT row = StoredTask(*panel, content.A, wide)->MOUSERECT;
  const COLORREF text = panel->COLORSCHEMA.TASKS.TEXT;
  const int plain = LongestRun(Snapshot(), row, 0, text);

  // A real pointer over the task, and the move it makes.
  ScopedPointer pointer;
  const POINT mid = Middle(row);
  ScopedPointer::MoveTo(control, mid.x, mid.y);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(mid.x, mid.y));
  ASSERT_NE(panel->LTIMER, 0u);
  ASSERT_EQ(StoredTask(*panel, content.A, wide)->ISHOVERED, 1);
  const int underlined = LongestRun(Snapshot(), row, 0, text);
  EXPECT_GE(underlined, 40) << "an underline as wide as the title";
  EXPECT_LT(plain, 20) << "no such line without hover";

  // While the pointer stays, the ticks change nothing.
  testing_support::Pump(350);
  EXPECT_NE(panel->LTIMER, 0u);
  EXPECT_EQ(StoredTask(*panel, content.A, wide)->ISHOVERED, 1);

  // The pointer goes to another window.
  PanelHost other(120, 120, 600, 100);
  MessageCounter counter(control, reinterpret_cast<UINT_PTR>(panel.get()));
  ASSERT_TRUE(counter.hooked());
  UpdateWindow(control);
  const DWORD start = GetTickCount();
  ScopedPointer::MoveTo(other.host(), 60, 60);
  ASSERT_TRUE(testing_support::WaitFor([&] { return panel->LTIMER == 0; }, 5000));
  const DWORD took = GetTickCount() - start;
  testing_support::Pump(400);
  std::printf("hover ended %lu ms after the pointer left\n", static_cast<unsigned long>(took));
  // The first tick after the pointer has left ends hover; one more may have come just
  // before Wine saw the pointer move, and found it still over the control.
  EXPECT_GE(counter.ticks(), 1);
  EXPECT_LE(counter.ticks(), 2) << "the first tick after leaving ends hover";
  // The tick repaints once; a mouse message the pointer's move still brought to the control
  // may add its own repaint, nothing else does.
  EXPECT_GE(counter.paints(), 1);
  EXPECT_LE(counter.paints(), 1 + counter.moves());
  EXPECT_EQ(Hovered(), std::set<std::string>{});
  EXPECT_EQ(StoredTask(*panel, content.A, wide)->ISHOVERED, 0);
  EXPECT_LT(LongestRun(Snapshot(), row, 0, text), 20);
  // And then all is quiet: no tick, no paint.
  counter.Reset();
  testing_support::Pump(400);
  EXPECT_EQ(counter.ticks(), 0);
  EXPECT_EQ(counter.paints(), 0);

  // The next move over the control starts the timer again.
  ScopedPointer::MoveTo(control, mid.x, mid.y);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(mid.x, mid.y));
  EXPECT_NE(panel->LTIMER, 0u);
  ScopedPointer::Park();
}

// A tick clears the flags of every entry, open group or not, visible or not.
TEST_F(HoverEnd, TickClearsEveryFlagWhereverItIs) {
  ASSERT_NO_FATAL_FAILURE(Prepare(Target::A1));
  Send(WM_MOUSEMOVE, 0, At(Target::C1));
  Send(WM_MOUSEMOVE, 0, At(Target::ABar));
  ASSERT_NE(panel->LTIMER, 0u);
  ChangeTask(*panel, content.C, content.C1, [](QTP_TASKITEM& t) { t.ISHOVERED = 1; });
  Apply(*panel, content, Change::CloseC);
  ChangeTask(*panel, content.F, content.F1, [](QTP_TASKITEM& t) { t.ISHOVERED = 1; });  // a closed group's
  ASSERT_EQ(Hovered(), (std::set<std::string>{"A", "C1", "F1"}));
  UpdateWindow(control);
  // The pointer is parked far away: the next tick ends hover.
  Send(WM_TIMER, reinterpret_cast<WPARAM>(panel.get()));
  EXPECT_EQ(panel->LTIMER, 0u);
  EXPECT_EQ(Hovered(), std::set<std::string>{});
  EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE));
}

}  // namespace
}  // namespace panel_test
