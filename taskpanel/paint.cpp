// The paint: the whole content is drawn into a back buffer as tall as the content (or the
// control, whichever is taller), the hit rectangles are stored as the content lies, the
// scroll bar is set, and the slice at the scroll position is copied onto the control.
// Every device context, bitmap, pen and brush is made and released within one call; the
// icons are the panel's, loaded at their first use and kept until KILL.
#include <algorithm>
#include <vector>

#include "gdi.h"
#include "layout.h"
#include "qftaskpanel.h"
#include "runtime/properties.h"
#include "text_util.h"

using namespace taskpanel::gdi;

namespace {

constexpr COLORREF kLineColour = 0x00FFFFFF;  // every line the panel draws: white, one pixel
constexpr std::size_t kIconNameLength = 79;

int32_t MinRowHeight(const QTP_HEADERITEM& header) { return std::max<int32_t>(header.ICONSIZES + 1, 20); }

// Whether the header and task lists have a current task for a row to work on.
bool HaveCurrentTask(const QFTASKPANELCLASS& panel) {
  return panel.HEADERS && panel.HEADERS->Pointer() && panel.HEADERS->buffer.TASKQUEUE &&
         panel.HEADERS->buffer.TASKQUEUE->Pointer();
}

HFONT TaskFont(const QFTASKPANELCLASS& panel, const QTP_TASKITEM& task) {
  return panel.HTASKFONT[task.ISBOLD ? 1 : 0][task.ISHOVERED ? 1 : 0];
}

taskpanel::LayoutMargins MarginsOf(const QFTASKPANELCLASS& panel) {
  return {panel.NTOPMARGIN, panel.NLEFTMARGIN, panel.NRIGHTMARGIN, panel.NBOTTOMMARGIN};
}

bool HasIcon(const std::string& name) { return !taskpanel::WithoutTrailingBlanks(name).empty(); }

}  // namespace

int32_t QFTASKPANELCLASS::CALCULATEPANELHEIGHT(HDC DC, const QTP_RECT& WINRECT) {
  std::vector<taskpanel::LayoutHeader> layout;
  if (HEADERS) {
    const int32_t rowWidth = WINRECT.RIGHT - NRIGHTMARGIN - NLEFTMARGIN;
    const std::size_t count = HEADERS->Records();
    layout.reserve(count);
    for (std::size_t i = 1; i <= count; ++i) {
      HEADERS->Get(i);
      const QTP_HEADERITEM& header = HEADERS->buffer;
      taskpanel::LayoutHeader entry{header.ISVISIBLE != 0, header.ISBOXED != 0, header.ISEXPANDED != 0, {}};
      QTP_TASKQUEUE* tasks = header.TASKQUEUE;
      if (entry.visible && entry.expanded && tasks) {
        const int32_t minHeight = MinRowHeight(header);
        const std::size_t taskCount = tasks->Records();
        entry.tasks.reserve(taskCount);
        for (std::size_t j = 1; j <= taskCount; ++j) {
          tasks->Get(j);
          if (tasks->buffer.MIMICBUTTON) CHECKMIMICS(tasks->buffer.LEFTACTIONFEQ);
          taskpanel::LayoutTask row{tasks->buffer.ISVISIBLE != 0, 0};
          if (row.visible) {
            ScopedSelect font(DC, TaskFont(*this, tasks->buffer));
            row.height = CALCULATETEXTHEIGHT(DC, rowWidth, minHeight);
          }
          entry.tasks.push_back(row);
        }
      }
      layout.push_back(std::move(entry));
    }
  }
  return taskpanel::EstimateHeight(layout, MarginsOf(*this));
}

int32_t QFTASKPANELCLASS::CALCULATETEXTHEIGHT(HDC DC, int32_t LHEADERW, int32_t LHEADERMINH) {
  if (!HaveCurrentTask(*this)) return LHEADERMINH;
  const QTP_HEADERITEM& header = HEADERS->buffer;
  const QTP_TASKITEM& task = header.TASKQUEUE->buffer;
  UINT format = DT_WORDBREAK | DT_VCENTER | DT_END_ELLIPSIS;
  if (WORDWRAP == 0) format |= DT_SINGLELINE;
  const int32_t iconColumn = (HasIcon(task.ICONNAME) || task.JUSTIFICATION == 0) ? LHEADERMINH + 10 : 0;
  RECT text{0, 0, LHEADERW - 10 - iconColumn - 6, 0};
  DrawTextA(DC, task.TITLE.c_str(), static_cast<int>(task.TITLE.size()), &text, format | DT_CALCRECT);
  const int32_t measured = text.bottom;
  if (measured > LHEADERMINH && header.WORDWRAP != 0 && WORDWRAP != 0) return measured + 6;
  return LHEADERMINH;
}

int32_t QFTASKPANELCLASS::DRAWTASK(HDC DC, const QTP_RECT& RHDR, int32_t NYPOS, int32_t NMINHEIGHT) {
  if (!HaveCurrentTask(*this)) return NMINHEIGHT;
  const QTP_HEADERITEM& header = HEADERS->buffer;
  const QTP_TASKITEM& task = header.TASKQUEUE->buffer;
  const ScopedSelect font(DC, TaskFont(*this, task));
  const int32_t height = CALCULATETEXTHEIGHT(DC, RHDR.RIGHT - RHDR.LEFT, NMINHEIGHT);

  RECT row{RHDR.LEFT, NYPOS, RHDR.RIGHT - 1, NYPOS + height};
  // The fill reaches one row further; the next row or the box's bottom covers it again.
  DRAWRECT(DC, row.left, row.top, row.right, row.bottom + 1, COLORSCHEMA.TASKS.BACKGROUND);
  DRAWLINE(DC, row.left, NYPOS, row.left, NYPOS + height, kLineColour);
  DRAWLINE(DC, row.right - 1, NYPOS, row.right - 1, NYPOS + height, kLineColour);

  if (HasIcon(task.ICONNAME)) {
    DRAWICON(DC, row.left + 5, NYPOS + 1, header.ICONSIZES, header.ICONSIZES,
             taskpanel::WithoutTrailingBlanks(task.ICONNAME));
    row.left += NMINHEIGHT;
  } else if (task.JUSTIFICATION == 0) {
    row.left += NMINHEIGHT;  // in line with the text of rows that have icons
  }
  row.left += 6;
  row.right -= 10;

  SETBKCOLOR(DC, COLORSCHEMA.TASKS.BACKGROUND);
  UINT format;
  RECT text;
  if (height > NMINHEIGHT && WORDWRAP != 0) {
    format = DT_WORDBREAK | DT_VCENTER | DT_END_ELLIPSIS;
    text = {row.left, NYPOS + 2, row.right, NYPOS + 2 + height};
  } else {
    format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    text = {row.left, NYPOS, row.right, NYPOS + height};
  }
  if (task.JUSTIFICATION == 2) format |= DT_RIGHT;
  if (task.JUSTIFICATION == 3) format |= DT_CENTER;
  SETTEXTCOLOR(DC, task.ISDISABLED ? COLORSCHEMA.TASKS.DISABLED : COLORSCHEMA.TASKS.TEXT);
  DrawTextA(DC, task.TITLE.c_str(), static_cast<int>(task.TITLE.size()), &text, format);
  return height;
}

void QFTASKPANELCLASS::DRAWICON(HDC DC, int32_t X, int32_t Y, int32_t W, int32_t H, const std::string& SZICONNAME) {
  if (SZICONNAME.empty()) return;
  HINSTANCE module = APPNAME.empty() ? nullptr : GetModuleHandleA(APPNAME.c_str());
  if (!module) module = rt::AppInstance();
  // The icon of that name at that size, loaded at its first use and kept (see icon_cache.h):
  // a resource of the module, else a file of the unchanged name.
  HICON icon = icons_.Resource(module, taskpanel::CutTo(GETICONNAME(SZICONNAME), kIconNameLength), W, H);
  if (!icon) icon = icons_.File(taskpanel::CutTo(SZICONNAME, kIconNameLength), W, H);
  if (icon) DrawIconEx(DC, X, Y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

std::string QFTASKPANELCLASS::GETICONNAME(const std::string& ICONNAME) {
  std::string name = ICONNAME;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

void QFTASKPANELCLASS::DRAWLINE(HDC DC, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t CCOLOR) {
  const Pen pen(CreatePen(PS_SOLID, 1, CCOLOR));
  const ScopedSelect select(DC, pen.get());
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
}

void QFTASKPANELCLASS::DRAWRECT(HDC DC, int32_t NXPOS, int32_t NYPOS, int32_t NRIGHT, int32_t NBOTTOM,
                                uint32_t ARGCOLOR) {
  const Brush brush = SolidBrush(ARGCOLOR);
  const RECT r{NXPOS, NYPOS, NRIGHT, NBOTTOM};
  if (brush) FillRect(DC, &r, brush.get());
}

void QFTASKPANELCLASS::SETBKCOLOR(HDC DC, uint32_t CCOLOR) { SetBkColor(DC, CCOLOR); }
void QFTASKPANELCLASS::SETTEXTCOLOR(HDC DC, uint32_t CCOLOR) { SetTextColor(DC, CCOLOR); }

namespace {

// The panel's background over the whole back buffer: one vertical gradient over the content
// (not one per screen), or a flat fill.
void DrawBackground(QFTASKPANELCLASS& panel, HDC dc, int32_t width, int32_t height) {
  const QTP_COLORGROUP& colours = panel.COLORSCHEMA.PANEL;
  if (panel.NOGRADIENT == 0 && QTP_GradientFill) {
    TRIVERTEX vertices[2] = {QFTASKPANELCLASS::CREATEVERTEX(colours.GRADIENTFROM, 0, 0),
                             QFTASKPANELCLASS::CREATEVERTEX(colours.GRADIENTTO, width, height)};
    GRADIENT_RECT rect{0, 1};
    QTP_GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
  } else {
    panel.DRAWRECT(dc, 0, 0, width, height, colours.BACKGROUND);
  }
}

// The top of a group's box, above its first row.
void DrawBoxTop(QFTASKPANELCLASS& panel, HDC dc, const QTP_RECT& header, int32_t y) {
  panel.DRAWRECT(dc, header.LEFT, y - 5, header.RIGHT - 1, y, panel.COLORSCHEMA.TASKS.BACKGROUND);
  panel.DRAWLINE(dc, header.LEFT, y - 5, header.LEFT, y, kLineColour);
  panel.DRAWLINE(dc, header.RIGHT - 2, y - 5, header.RIGHT - 2, y, kLineColour);
}

// The bottom of a group's box, below its last row; the bottom line lies on row y + 4.
void DrawBoxBottom(QFTASKPANELCLASS& panel, HDC dc, const QTP_RECT& header, int32_t y) {
  panel.DRAWRECT(dc, header.LEFT, y + 1, header.RIGHT - 1, y + 4, panel.COLORSCHEMA.TASKS.BACKGROUND);
  panel.DRAWLINE(dc, header.LEFT, y - 3, header.LEFT, y + 4, kLineColour);
  panel.DRAWLINE(dc, header.LEFT, y + 4, header.RIGHT - 1, y + 4, kLineColour);
  panel.DRAWLINE(dc, header.RIGHT - 2, y - 3, header.RIGHT - 2, y + 4, kLineColour);
}

// Sets the scroll bar only when that changes it: setting the bar redraws it, which on some
// systems costs more than the whole rest of a paint.
void SetScrollBar(QFTASKPANELCLASS& panel, int32_t max, int32_t page, int32_t pos) {
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (GetScrollInfo(panel.HWND, SB_VERT, &now) && now.nMin == 0 && now.nMax == max &&
      static_cast<int32_t>(now.nPage) == page && now.nPos == pos)
    return;
  panel.SETSCROLLINFO(0, max, page, pos);
}

struct WalkEnd {
  int32_t end = 0;
  int32_t contentBottom = 0;
};

// Lays out and draws every visible group into the back buffer, storing the hit rectangles.
WalkEnd DrawGroups(QFTASKPANELCLASS& panel, HDC dc, int32_t clientRight) {
  taskpanel::LayoutWalk walk(MarginsOf(panel), clientRight);
  QTP_HEADERQUEUE& headers = *panel.HEADERS;
  const std::size_t count = headers.Records();
  for (std::size_t i = 1; i <= count; ++i) {
    headers.Get(i);
    if (!headers.buffer.ISVISIBLE) continue;  // takes no space, keeps its old rectangle
    const bool boxed = headers.buffer.ISBOXED != 0;
    const taskpanel::LayoutWalk::Group group = walk.BeginGroup(boxed);
    if (!boxed)
      panel.DRAWHEADER(dc, group.header);
    else
      panel.DRAWLINE(dc, group.header.LEFT, group.boxTopLine, group.header.RIGHT - 1, group.boxTopLine, kLineColour);
    headers.buffer.MOUSERECT = group.mouseRect;
    headers.Put();

    const int32_t headerId = headers.buffer.ID;
    QTP_TASKQUEUE* tasks = headers.buffer.TASKQUEUE;
    if (!headers.buffer.ISEXPANDED || !tasks || tasks->Records() == 0) {
      panel.REMOVEALLTOOLTIPS(headerId);
      walk.EndGroup();
      continue;
    }
    const int32_t minHeight = MinRowHeight(headers.buffer);
    const std::size_t taskCount = tasks->Records();
    for (std::size_t j = 1; j <= taskCount; ++j) {
      tasks->Get(j);
      if (tasks->buffer.MIMICBUTTON) panel.CHECKMIMICS(tasks->buffer.LEFTACTIONFEQ);
      if (!tasks->buffer.ISVISIBLE) continue;  // keeps its old rectangle
      if (walk.RowsInGroup() == 0) DrawBoxTop(panel, dc, walk.Header(), walk.Y());
      const int32_t height = panel.DRAWTASK(dc, walk.Header(), walk.Y(), minHeight);
      tasks->buffer.MOUSERECT = walk.AddRow(height);
      tasks->Put();
      panel.UPDATETOOLTIP();
    }
    if (walk.RowsInGroup() > 0) DrawBoxBottom(panel, dc, walk.Header(), walk.Y());
    walk.EndGroup();
  }
  return {walk.Y(), walk.ContentBottom()};
}

}  // namespace

void QFTASKPANELCLASS::TAKEPAINTEVENT() {
  WindowDC windowDC(HWND);
  if (!windowDC || !HEADERS) {
    // Nothing can be drawn; the update region is validated all the same so that the
    // control does not ask for this paint over and over. The next REFRESH tries again.
    ValidateRect(HWND, nullptr);
    return;
  }
  RECT client{};
  GetClientRect(HWND, &client);
  const QTP_RECT WINRECT{0, 0, client.right, client.bottom};
  const int32_t clientHeight = client.bottom;

  int32_t BMPHEIGHT = clientHeight;
  const int32_t PANELHEIGHT = CALCULATEPANELHEIGHT(windowDC.get(), WINRECT);
  bool scrolling = false;
  if (PANELHEIGHT > BMPHEIGHT) {
    BMPHEIGHT = PANELHEIGHT;
    scrolling = true;
  }
  if (scrolling) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (!GetScrollInfo(HWND, SB_VERT, &bar)) bar.nPage = 0;
    const int32_t page = static_cast<int32_t>(bar.nPage);
    if (SCROLLPOS + page > BMPHEIGHT) SCROLLPOS = std::max(0, BMPHEIGHT - page);
  }

  const MemoryDC memory(windowDC.get());
  Bitmap buffer;
  if (memory) buffer = DibSection32(windowDC.get(), client.right, BMPHEIGHT);
  windowDC.Release();
  if (!memory) {
    ValidateRect(HWND, nullptr);
    return;
  }
  if (!buffer) {
    // A content too tall for one bitmap: the control shows the plain panel background
    // rather than whatever lay on the screen before.
    const PaintDC paint(HWND);
    const Brush brush = SolidBrush(COLORSCHEMA.PANEL.BACKGROUND);
    if (brush) FillRect(paint.get(), &client, brush.get());
    return;
  }
  const ScopedSelect selectBuffer(memory.get(), buffer.get());

  DrawBackground(*this, memory.get(), client.right, BMPHEIGHT);
  const WalkEnd walk = DrawGroups(*this, memory.get(), client.right);

  if (scrolling) {
    SetScrollBar(*this, taskpanel::ScrollRangeEnd(walk.end, walk.contentBottom), clientHeight, SCROLLPOS);
  } else {
    SCROLLPOS = 0;
    SetScrollBar(*this, 0, 0, 0);
  }
  // When the scroll bar came or went, the control has been resized and the resize has
  // already painted the content at the new width; this slice would be the old one.
  RECT now{};
  GetClientRect(HWND, &now);
  if (now.right != client.right || now.bottom != client.bottom) return;

  const PaintDC paint(HWND);
  BitBlt(paint.get(), 0, 0, client.right, clientHeight, memory.get(), 0, SCROLLPOS, SRCCOPY);
}
