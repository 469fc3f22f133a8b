#include "layout.h"

#include <algorithm>

namespace taskpanel {

namespace {
constexpr int32_t kHeaderHeight = 30;  // the header rectangle
constexpr int32_t kBarHeight = 25;     // the bar's body within it
constexpr int32_t kNoRowsLift = 10;    // a group without rows gives back part of its header
}  // namespace

LayoutWalk::LayoutWalk(const LayoutMargins& margins, int32_t clientRight)
    : margins_(margins), right_(clientRight), y_(margins.top) {}

LayoutWalk::Group LayoutWalk::BeginGroup(bool boxed) {
  Group g{};
  g.header = {margins_.left, y_, right_ - margins_.right, y_ + kHeaderHeight};
  if (!boxed) {
    g.mouseRect = g.header;
    g.mouseRect.BOTTOM = g.header.TOP + kBarHeight;
    g.boxTopLine = 0;
  } else {
    g.header.BOTTOM = g.header.TOP;
    g.mouseRect = g.header;  // no height: a boxed header is never hit
    g.boxTopLine = g.header.TOP - 5;
    g.header.BOTTOM = g.header.TOP + 1;
  }
  header_ = g.header;
  rows_ = 0;
  y_ = g.header.BOTTOM;
  return g;
}

QTP_RECT LayoutWalk::AddRow(int32_t height) {
  const QTP_RECT row{header_.LEFT, y_, header_.RIGHT, y_ + height};
  y_ += height;
  ++rows_;
  return row;
}

void LayoutWalk::EndGroup() {
  if (rows_ == 0) y_ -= kNoRowsLift;
  // With rows the box's bottom line lies on row y + 4; without, the bar's (or the box top
  // line's) last row is y + 4 as well.
  contentBottom_ = std::max(contentBottom_, y_ + 5);
  y_ += margins_.bottom + 5;
}

LayoutResult WalkLayout(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins, int32_t clientRight) {
  LayoutResult result;
  LayoutWalk walk(margins, clientRight);
  result.headers.resize(headers.size());
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const LayoutHeader& h = headers[i];
    HeaderPlacement& p = result.headers[i];
    p.taskRects.assign(h.tasks.size(), QTP_RECT{});
    p.taskPlaced.assign(h.tasks.size(), false);
    if (!h.visible) continue;
    const LayoutWalk::Group g = walk.BeginGroup(h.boxed);
    p.placed = true;
    p.header = g.header;
    p.mouseRect = g.mouseRect;
    if (h.expanded) {
      for (std::size_t j = 0; j < h.tasks.size(); ++j) {
        if (!h.tasks[j].visible) continue;
        p.taskRects[j] = walk.AddRow(h.tasks[j].height);
        p.taskPlaced[j] = true;
      }
    }
    walk.EndGroup();
  }
  result.end = walk.Y();
  result.contentBottom = walk.ContentBottom();
  return result;
}

int32_t TraditionalEstimate(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins) {
  int32_t y = 20;
  const std::size_t n = headers.size();
  for (std::size_t i = 0; i < n; ++i) {
    const LayoutHeader& h = headers[i];
    if (!h.visible) continue;
    y += h.boxed ? 1 : kHeaderHeight;
    int32_t rows = 0;
    if (h.expanded) {
      for (const LayoutTask& t : h.tasks) {
        if (!t.visible) continue;
        ++rows;
        y += t.height;
      }
    }
    if (rows == 0) y -= kNoRowsLift;
    // Position i + 1 (1-based) among the last two of the queue, hidden headers counted.
    if (i + 2 >= n)
      y += margins.top;
    else
      y += margins.bottom + 5;
  }
  return y;
}

int32_t EstimateHeight(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins) {
  const int32_t traditional = TraditionalEstimate(headers, margins);
  const LayoutResult walk = WalkLayout(headers, margins, 0);
  return std::max(traditional, walk.contentBottom);
}

int32_t ScrollRangeEnd(int32_t walkEnd, int32_t contentBottom) { return std::max(walkEnd, contentBottom - 1); }

}  // namespace taskpanel
