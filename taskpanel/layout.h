#pragma once
// The panel's layout as pure geometry: where each group's bar (or box top), hit rectangles
// and task rows lie in content coordinates, where the walk ends, how low the drawn content
// reaches, and the height estimate that sizes the back buffer. The paint drives the same
// walk step by step while it draws; tests and benchmarks call it without a window.
#include <cstdint>
#include <vector>

#include "qftaskpanel.h"

namespace taskpanel {

struct LayoutMargins {
  int32_t top = 20, left = 10, right = 10, bottom = 20;
};

// What the layout needs to know of one task: whether it is shown and, when it is, the
// height of its row as measured (never less than the group's minimum).
struct LayoutTask {
  bool visible = true;
  int32_t height = 20;
};

// What the layout needs to know of one header, in queue order (hidden ones included: they
// count for the estimate's last two positions).
struct LayoutHeader {
  bool visible = true;
  bool boxed = false;
  bool expanded = true;
  std::vector<LayoutTask> tasks;  // empty: the group has no tasks
};

// The walk over the groups, one step at a time, as the paint draws them.
class LayoutWalk {
 public:
  LayoutWalk(const LayoutMargins& margins, int32_t clientRight);

  struct Group {
    QTP_RECT header;     // the header rectangle as the bar and the rows use it
    QTP_RECT mouseRect;  // the header's hit rectangle (no height for a boxed header)
    int32_t boxTopLine;  // boxed header: the row of the box's top line
  };
  // Places a visible header at the cursor.
  Group BeginGroup(bool boxed);
  // Places the next visible task row of the group; returns its hit rectangle.
  QTP_RECT AddRow(int32_t height);
  int32_t RowsInGroup() const { return rows_; }
  // Ends the group: below its box, or below its bar when no row was placed.
  void EndGroup();

  int32_t Y() const { return y_; }
  const QTP_RECT& Header() const { return header_; }
  // One past the lowest row drawn so far (0 before any group).
  int32_t ContentBottom() const { return contentBottom_; }

 private:
  LayoutMargins margins_;
  int32_t right_;
  int32_t y_;
  QTP_RECT header_{};
  int32_t rows_ = 0;
  int32_t contentBottom_ = 0;
};

// The whole walk over a list of headers.
struct HeaderPlacement {
  bool placed = false;            // false for a hidden header
  QTP_RECT header, mouseRect;     // as LayoutWalk::Group
  std::vector<QTP_RECT> taskRects;  // per task; only visible tasks of an open group are placed
  std::vector<bool> taskPlaced;
};
struct LayoutResult {
  std::vector<HeaderPlacement> headers;
  int32_t end = 0;            // where the walk ends (its final y)
  int32_t contentBottom = 0;  // one past the lowest drawn row
};
LayoutResult WalkLayout(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins, int32_t clientRight);

// The estimate in its traditional form: a fixed 20 on top, each visible header's bar (30)
// or box top (1), its rows, less 10 for a group without rows, then per header the gap
// (bottom margin + 5), or the top margin for the last two queue positions.
int32_t TraditionalEstimate(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins);

// The height the back buffer needs: the traditional estimate, raised where it would fall
// short of the drawn content, so that every drawn row can be scrolled into view.
int32_t EstimateHeight(const std::vector<LayoutHeader>& headers, const LayoutMargins& margins);

// The scroll range's end for a walk: where the walk ended, but never above the lowest drawn
// row (a negative gap between groups would otherwise leave rows out of reach).
int32_t ScrollRangeEnd(int32_t walkEnd, int32_t contentBottom);

}  // namespace taskpanel
