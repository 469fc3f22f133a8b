// Scrolling of the task panel: WM_VSCROLL requests, the system's line step, the clamps, the
// scroll bar after each paint and the slice of content the control shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "input_support.h"
#include "panel_fixture.h"

namespace panel_test {
namespace {

class ScrollTest : public PanelFixture {
 protected:
  SIZE InitialSize() const override { return {220, 150}; }

  void SetUp() override {
    PanelFixture::SetUp();
    ScopedPointer::Park();
  }

  // Three open groups of four tasks: several times as tall as the control.
  void Fill() {
    panel->SETFONT("Tahoma");
    for (int g = 0; g < 3; ++g) {
      const int32_t h = panel->ADDHEADER("Group " + std::to_string(g + 1), static_cast<uint8_t>(g % 2));
      headers.push_back(h);
      for (int t = 0; t < 4; ++t) lastTask = panel->ADDTASK(h, "Task " + std::to_string(g * 4 + t + 1), 10 + t);
    }
    Init();
  }


  // The y where the last paint's layout walk ended: below the last open group's box by the
  // bottom margin.
  int WalkEnd() {
    return StoredTask(*panel, headers.back(), lastTask)->MOUSERECT.BOTTOM + panel->NBOTTOMMARGIN + 5;
  }

  std::vector<int32_t> headers;
  int32_t lastTask = 0;
};

// ---- Request codes ------------------------------------------------------------------------

struct RequestCase {
  const char* name;
  WORD code;
  // The new offset from the bar as it was read (range, page) and the offset before.
  std::function<int(const SCROLLINFO&, int before)> expected;
};

constexpr int kStart = 40;
constexpr int kThumb = 77;  // where the bar's thumb is put for SB_THUMBTRACK

const RequestCase kRequests[] = {
    {"LineUp", SB_LINEUP, [](const SCROLLINFO&, int b) { return b - 3; }},
    {"LineDown", SB_LINEDOWN, [](const SCROLLINFO&, int b) { return b + 3; }},
    {"PageUp", SB_PAGEUP, [](const SCROLLINFO& si, int b) { return std::max(0, b - static_cast<int>(si.nPage)); }},
    {"PageDown", SB_PAGEDOWN, [](const SCROLLINFO& si, int b) { return b + static_cast<int>(si.nPage); }},
    {"ThumbTrack", SB_THUMBTRACK, [](const SCROLLINFO&, int) { return kThumb; }},
    {"ThumbPosition", SB_THUMBPOSITION, [](const SCROLLINFO&, int b) { return b; }},
    {"Top", SB_TOP, [](const SCROLLINFO&, int) { return 0; }},
    {"Bottom", SB_BOTTOM, [](const SCROLLINFO& si, int) { return si.nMax - static_cast<int>(si.nPage) + 1; }},
    {"EndScroll", SB_ENDSCROLL, [](const SCROLLINFO&, int b) { return b; }},
    {"UnknownCode", 9, [](const SCROLLINFO&, int b) { return b; }},
};

class ScrollRequests : public ScrollTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(ScrollRequests, MoveTheOffsetAndAskForARepaint) {
  const RequestCase& k = GetParam();
  ScopedWheelLines lines(3);  // the system's default
  Fill();
  ThumbTo(kStart);
  ASSERT_EQ(panel->SCROLLPOS, kStart);
  if (k.code == SB_THUMBTRACK) {
    SCROLLINFO thumb{};
    thumb.cbSize = sizeof thumb;
    thumb.fMask = SIF_POS;
    thumb.nPos = kThumb;
    SetScrollInfo(control, SB_VERT, &thumb, TRUE);
  }
  const SCROLLINFO before = VerticalScrollInfo();
  ASSERT_FALSE(GetUpdateRect(control, nullptr, FALSE));

  Send(WM_VSCROLL, MAKEWPARAM(k.code, 0));
  EXPECT_EQ(panel->SCROLLPOS, k.expected(before, kStart));
  EXPECT_TRUE(GetUpdateRect(control, nullptr, FALSE)) << "every request repaints";
  EXPECT_EQ(VerticalScrollInfo().nPos, before.nPos) << "the bar follows at the paint, not before";

  const int requested = panel->SCROLLPOS;
  Pump();
  const SCROLLINFO after = VerticalScrollInfo();
  EXPECT_EQ(after.nPos, panel->SCROLLPOS);
  EXPECT_LE(panel->SCROLLPOS, requested);  // the paint only ever caps it
  EXPECT_GE(panel->SCROLLPOS, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, ScrollRequests, ::testing::ValuesIn(kRequests),
                         [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

// ---- The line step from the system's wheel setting --------------------------------------

struct StepCase {
  const char* name;
  UINT lines;
  int step;  // pixels per arrow click, -1 = one page
};

class LineStep : public ScrollTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(LineStep, ArrowsMoveByTheSystemSetting) {
  const StepCase& k = GetParam();
  ScopedWheelLines lines(k.lines);
  Fill();
  ThumbTo(kStart);
  ASSERT_EQ(panel->SCROLLPOS, kStart);
  const int page = static_cast<int>(VerticalScrollInfo().nPage);
  ASSERT_EQ(page, ClientRect().bottom);
  const int step = k.step < 0 ? page : k.step;

  Send(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(panel->SCROLLPOS, kStart + step);
  Pump();
  const int down = panel->SCROLLPOS;
  Send(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(panel->SCROLLPOS, std::max(0, down - step));
  Pump();
  // Never beyond the top.
  ThumbTo(0);
  Send(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(panel->SCROLLPOS, 0);
}

INSTANTIATE_TEST_SUITE_P(Settings, LineStep,
                         ::testing::Values(StepCase{"Default", 3, 3}, StepCase{"Off", 0, 0}, StepCase{"Seven", 7, 7},
                                           StepCase{"OneScreenPerNotch", WHEEL_PAGESCROLL, -1}),
                         [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

// The step is the system's setting at the time of each request, not one read once: a change of
// the setting shows at the next arrow click, and so does its restoration.
TEST_F(ScrollTest, LineStepIsReadAtEveryRequest) {
  ScopedWheelLines outer(3);
  Fill();
  ThumbTo(kStart);
  Send(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(panel->SCROLLPOS, kStart + 3);
  {
    ScopedWheelLines inner(7);
    Send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(panel->SCROLLPOS, kStart + 3 + 7);
    Send(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(panel->SCROLLPOS, kStart + 3);
  }
  Send(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(panel->SCROLLPOS, kStart) << "the setting is back, and the step with it";
}

// ---- Clamps, the bar and the slice shown ------------------------------------------------

TEST_F(ScrollTest, BarShowsTheLayoutAfterEveryPaint) {
  Fill();
  SCROLLINFO si = VerticalScrollInfo();
  EXPECT_TRUE(VerticalBarShown());
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, WalkEnd());
  EXPECT_EQ(static_cast<int>(si.nPage), ClientRect().bottom);
  EXPECT_EQ(si.nPos, 0);

  ThumbTo(50);
  si = VerticalScrollInfo();
  EXPECT_EQ(si.nPos, 50);
  EXPECT_EQ(si.nMax, WalkEnd());

  // Closing groups until the content fits takes the bar away and the offset back to 0.
  for (int32_t h : headers) panel->SETEXPANDED(h, 0);
  Paint();
  EXPECT_FALSE(VerticalBarShown());
  EXPECT_EQ(panel->SCROLLPOS, 0);
  si = VerticalScrollInfo();
  EXPECT_EQ(si.nMax, 0);
  EXPECT_EQ(si.nPage, 0u);
  // Requests on content that fits end at 0 again with the next paint.
  Send(WM_VSCROLL, SB_BOTTOM);
  Pump();
  EXPECT_EQ(panel->SCROLLPOS, 0);
  Send(WM_VSCROLL, SB_PAGEDOWN);
  Pump();
  EXPECT_EQ(panel->SCROLLPOS, 0);
}

TEST_F(ScrollTest, BottomIsClampedToTheLastPage) {
  Fill();
  const SCROLLINFO si = VerticalScrollInfo();
  Send(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(panel->SCROLLPOS, si.nMax - static_cast<int>(si.nPage) + 1);
  Pump();
  // The paint holds the slice inside the back buffer, as tall as the estimate.
  const int estimate = [&] {
    HDC dc = GetWindowDC(control);
    RECT c = ClientRect();
    const int h = panel->CALCULATEPANELHEIGHT(dc, QTP_RECT{c.left, c.top, c.right, c.bottom});
    ReleaseDC(control, dc);
    return h;
  }();
  EXPECT_EQ(panel->SCROLLPOS, std::min(si.nMax - static_cast<int>(si.nPage) + 1, estimate - static_cast<int>(ClientRect().bottom)));
  EXPECT_EQ(VerticalScrollInfo().nPos, panel->SCROLLPOS);
  // Further requests down change nothing.
  const int bottom = panel->SCROLLPOS;
  Send(WM_VSCROLL, SB_LINEDOWN);
  Pump();
  Send(WM_VSCROLL, SB_PAGEDOWN);
  Pump();
  EXPECT_EQ(panel->SCROLLPOS, bottom);
}

// The paint holds the offset inside the back buffer with the page of the paint before. When
// that page came from a taller control than the content now is, the offset stays at the top
// rather than going above it.
TEST_F(ScrollTest, PageOfATallerControlNeverPutsTheOffsetAboveTheTop) {
  Fill();
  ResizeControl(220, 400);
  ASSERT_TRUE(VerticalBarShown());
  ASSERT_EQ(VerticalScrollInfo().nPage, 400u);
  // The content shrinks below that page but stays taller than the control it gets next.
  panel->SETEXPANDED(headers[0], 0);
  panel->SETEXPANDED(headers[1], 0);
  ResizeControl(220, 150);
  ASSERT_TRUE(VerticalBarShown());
  EXPECT_EQ(panel->SCROLLPOS, 0);
  Pump();
  EXPECT_EQ(panel->SCROLLPOS, 0);
  EXPECT_EQ(VerticalScrollInfo().nPos, 0);
  // The hit rectangles and what is shown agree: the first bar is where a click finds it.
  const QTP_RECT bar = StoredHeader(*panel, headers[0])->MOUSERECT;
  Send(WM_LBUTTONUP, 0, MAKELPARAM(bar.LEFT + 5, bar.TOP + 3));
  EXPECT_EQ(panel->calls, (std::vector<ActionCall>{{headers[0], 0, 1, 0}}));
}

TEST_F(ScrollTest, ShownSliceMovesWithTheOffset) {
  Fill();
  const testing_support::Capture top = Snapshot();
  constexpr int kOffset = 45;
  ThumbTo(kOffset);
  ASSERT_EQ(panel->SCROLLPOS, kOffset);
  const testing_support::Capture scrolled = Snapshot();
  ASSERT_EQ(top.width(), scrolled.width());
  int mismatches = 0, differences = 0;
  for (int y = 0; y + kOffset < top.height(); ++y) {
    for (int x = 0; x < top.width(); ++x) {
      if (scrolled.At(x, y) != top.At(x, y + kOffset)) ++mismatches;
      if (scrolled.At(x, y) != top.At(x, y)) ++differences;
    }
  }
  EXPECT_EQ(mismatches, 0) << "row y shows content row y + offset";
  EXPECT_GT(differences, 0) << "the picture did change";
}

// The wheel is not the panel's: the message reaches the control's own procedure (whose
// default handling hands it on to the parent) and the offset stays.
LRESULT CALLBACK CountingHostProc(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MOUSEWHEEL) {
    auto* n = static_cast<int*>(GetPropA(h, "WheelCount"));
    if (n) ++*n;
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

TEST_F(ScrollTest, WheelGoesToTheControlsOwnProcedure) {
  Fill();
  ThumbTo(30);
  int wheels = 0;
  SetPropA(host, "WheelCount", &wheels);
  const LONG_PTR previous = SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingHostProc));
  POINT screen{20, 20};
  ClientToScreen(control, &screen);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
  Pump();
  SetWindowLongPtrA(host, GWLP_WNDPROC, previous);
  RemovePropA(host, "WheelCount");
  EXPECT_EQ(wheels, 1);
  EXPECT_EQ(panel->SCROLLPOS, 30);
}

}  // namespace
}  // namespace panel_test
