// The layout walk and the height estimate as pure functions: no window, no device context.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rect_print.h"
#include "taskpanel/layout.h"

namespace {

using taskpanel::LayoutHeader;
using taskpanel::LayoutMargins;
using taskpanel::LayoutTask;

LayoutHeader Open(std::vector<int32_t> rows) {
  LayoutHeader h;
  for (int32_t r : rows) h.tasks.push_back({true, r});
  return h;
}
LayoutHeader Closed(std::vector<int32_t> rows = {20}) {
  LayoutHeader h = Open(std::move(rows));
  h.expanded = false;
  return h;
}
LayoutHeader Hidden() {
  LayoutHeader h = Open({20});
  h.visible = false;
  return h;
}
LayoutHeader Boxed(LayoutHeader h) {
  h.boxed = true;
  return h;
}
LayoutHeader AllTasksHidden() {
  LayoutHeader h = Open({20, 30});
  for (auto& t : h.tasks) t.visible = false;
  return h;
}


constexpr LayoutMargins kDefault{20, 10, 10, 20};
constexpr LayoutMargins kTen{10, 10, 10, 10};
constexpr LayoutMargins kTopZero{0, 10, 10, 20};

TEST(Layout, WalkEndContentBottomAndEstimate) {
  struct Case {
    const char* what;
    std::vector<LayoutHeader> headers;
    LayoutMargins margins;
    int32_t end, contentBottom, traditional, estimate;
  } cases[] = {
      {"empty panel", {}, kDefault, 20, 0, 20, 20},
      {"empty panel, top margin 5", {}, {5, 10, 10, 20}, 5, 0, 20, 20},
      {"one open group", {Open({25, 25})}, kDefault, 125, 105, 120, 120},
      {"closed group", {Closed()}, kDefault, 65, 45, 60, 60},
      {"open group without tasks", {Open({})}, kDefault, 65, 45, 60, 60},
      {"open group, every task hidden", {AllTasksHidden()}, kDefault, 65, 45, 60, 60},
      {"hidden header takes no space", {Hidden()}, kDefault, 20, 0, 20, 20},
      {"closed boxed group", {Boxed(Closed())}, kDefault, 36, 16, 31, 31},
      {"open boxed group", {Boxed(Open({20}))}, kDefault, 66, 46, 61, 61},
      // The margin cases: both last queue positions hold visible headers.
      {"margins 10 and 10: estimate = walk end", {Open({20}), Open({20})}, kTen, 140, 130, 140, 140},
      {"margins 20 and 20: 10 less, still covers", {Open({20}), Open({20})}, kDefault, 170, 150, 160, 160},
      {"top 0, bottom 20: raised to the drawn content", {Open({20}), Open({20})}, kTopZero, 150, 130, 120, 130},
      {"closed first group, three headers", {Closed(), Open({20}), Open({20})}, kDefault, 215, 195, 205, 205},
      {"hidden header in the last position", {Open({20}), Open({20}), Hidden()}, kDefault, 170, 150, 165, 165},
      {"negative gap", {Open({20}), Open({20})}, {20, 10, 10, -30}, 70, 100, 160, 160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const taskpanel::LayoutResult walk = taskpanel::WalkLayout(c.headers, c.margins, 200);
    EXPECT_EQ(walk.end, c.end);
    EXPECT_EQ(walk.contentBottom, c.contentBottom);
    EXPECT_EQ(taskpanel::TraditionalEstimate(c.headers, c.margins), c.traditional);
    EXPECT_EQ(taskpanel::EstimateHeight(c.headers, c.margins), c.estimate);
  }
}

TEST(Layout, WorkedExampleRectangles) {
  const LayoutMargins m = kTen;
  const auto open = taskpanel::WalkLayout({Open({20, 20}), Open({20})}, m, 200);
  const auto& first = open.headers[0];
  EXPECT_EQ(first.header, (QTP_RECT{10, 10, 190, 40}));
  EXPECT_EQ(first.mouseRect, (QTP_RECT{10, 10, 190, 35}));
  EXPECT_EQ(first.taskRects[0], (QTP_RECT{10, 40, 190, 60}));
  EXPECT_EQ(first.taskRects[1], (QTP_RECT{10, 60, 190, 80}));
  EXPECT_EQ(open.headers[1].header.TOP, 95);  // 10 rows below the box's bottom line (84)

  const auto closed = taskpanel::WalkLayout({Closed({20, 20}), Open({20})}, m, 200);
  EXPECT_FALSE(closed.headers[0].taskPlaced[0]);
  EXPECT_EQ(closed.headers[1].header.TOP, 45);
}

TEST(Layout, BoxedHeadersAndHiddenEntries) {
  const auto walk = taskpanel::WalkLayout(
      {Hidden(), Boxed(Open({20, 30})), Boxed(Closed()), AllTasksHidden(), Open({20})}, kDefault, 150);
  EXPECT_FALSE(walk.headers[0].placed);
  const auto& boxed = walk.headers[1];
  EXPECT_EQ(boxed.mouseRect, (QTP_RECT{10, 20, 140, 20}));  // no height: never hit
  EXPECT_EQ(boxed.taskRects[0], (QTP_RECT{10, 21, 140, 41}));
  EXPECT_EQ(boxed.taskRects[1], (QTP_RECT{10, 41, 140, 71}));
  // A closed boxed group starts the next header at its top + bottom margin - 4.
  const int32_t closedTop = walk.headers[2].header.TOP;
  EXPECT_EQ(closedTop, 71 + 25);
  EXPECT_EQ(walk.headers[3].header.TOP, closedTop + 20 - 4);
  // Every task of the fourth group is hidden: only its bar, nothing placed.
  EXPECT_FALSE(walk.headers[3].taskPlaced[0]);
  EXPECT_FALSE(walk.headers[3].taskPlaced[1]);
  EXPECT_EQ(walk.headers[4].header.TOP, walk.headers[3].header.TOP + 25 + 20);
}

TEST(Layout, StepwiseWalkMatchesTheWholeWalk) {
  taskpanel::LayoutWalk walk(kDefault, 180);
  auto g = walk.BeginGroup(false);
  EXPECT_EQ(g.header, (QTP_RECT{10, 20, 170, 50}));
  EXPECT_EQ(walk.RowsInGroup(), 0);
  EXPECT_EQ(walk.AddRow(26), (QTP_RECT{10, 50, 170, 76}));
  EXPECT_EQ(walk.RowsInGroup(), 1);
  walk.EndGroup();
  EXPECT_EQ(walk.Y(), 76 + 25);
  EXPECT_EQ(walk.ContentBottom(), 81);
  g = walk.BeginGroup(true);
  EXPECT_EQ(g.boxTopLine, 101 - 5);
  EXPECT_EQ(walk.Y(), 102);
}

// One past the lowest row that the paint draws, from the placed rectangles and what the paint
// draws around them: a group with rows ends in its box's bottom line 4 rows below its last row;
// a group without rows in its bar (25 rows) or, boxed, in the box's top line 5 rows above it.
int32_t DrawnBottom(const std::vector<LayoutHeader>& headers, const taskpanel::LayoutResult& walk) {
  int32_t lowest = -1;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const auto& placed = walk.headers[i];
    if (!placed.placed) continue;
    int32_t last = -1;
    for (std::size_t j = 0; j < placed.taskRects.size(); ++j)
      if (placed.taskPlaced[j]) last = placed.taskRects[j].BOTTOM + 4;
    if (last < 0) last = headers[i].boxed ? placed.header.TOP - 5 : placed.header.TOP + 24;
    lowest = std::max(lowest, last);
  }
  return lowest + 1;
}

// Whatever the margins and the groups: the estimate is the traditional figure, which differs
// from where the walk ends only by its fixed start of 20 and by the top margin standing in for
// the gap after the last two queue positions; where that falls short of the drawn content it
// is raised to exactly the content. The scroll range's last page then shows the lowest row.
TEST(Layout, EstimateAlwaysCoversTheDrawnContent) {
  const std::vector<std::vector<LayoutHeader>> panels = {
      {Open({20})},
      {Closed()},
      {Open({20}), Closed()},
      {Closed(), Open({25, 40})},
      {Boxed(Closed()), Boxed(Closed())},
      {Open({20}), Hidden(), Open({31}), Hidden()},
      {Open({20, 20, 20}), Open({20}), Open({45}), Closed()},
      {AllTasksHidden(), Boxed(Open({20}))},
      {Open({20}), Boxed(Open({20, 20}))},
  };
  int raised = 0;
  for (int32_t top : {0, 3, 8, 10, 20, 40})
    for (int32_t bottom : {-20, -1, 0, 5, 10, 20, 40})
      for (std::size_t p = 0; p < panels.size(); ++p) {
        SCOPED_TRACE("top " + std::to_string(top) + " bottom " + std::to_string(bottom) + " panel " +
                     std::to_string(p));
        const std::vector<LayoutHeader>& headers = panels[p];
        const LayoutMargins m{top, 10, 10, bottom};
        const auto walk = taskpanel::WalkLayout(headers, m, 200);
        const int32_t drawn = DrawnBottom(headers, walk);
        int32_t lastTwoVisible = 0;
        for (std::size_t i = headers.size() >= 2 ? headers.size() - 2 : 0; i < headers.size(); ++i)
          lastTwoVisible += headers[i].visible ? 1 : 0;
        const int32_t traditional = walk.end + (20 - top) + lastTwoVisible * (top - bottom - 5);

        const int32_t estimate = taskpanel::EstimateHeight(headers, m);
        EXPECT_GE(estimate, drawn);
        if (traditional >= drawn) {
          EXPECT_EQ(estimate, traditional);
        } else {
          EXPECT_EQ(estimate, drawn);
          ++raised;
        }
        const int32_t rangeEnd = taskpanel::ScrollRangeEnd(walk.end, walk.contentBottom);
        EXPECT_GE(rangeEnd, drawn - 1);
      }
  EXPECT_GT(raised, 0) << "some cases must need the raise";
}

}  // namespace
