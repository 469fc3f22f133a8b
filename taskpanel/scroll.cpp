// Scrolling: the host control's standard vertical scroll bar and the scroll offset SCROLLPOS,
// the content row shown at the top of the control. A request only moves the offset and asks
// for a repaint; the paint sets the bar again and copies the slice that starts at SCROLLPOS.
#include <cstdint>

#include "qftaskpanel.h"

namespace {

// Pixels one arrow click moves: the system's lines per wheel notch. "One screen per notch"
// (WHEEL_PAGESCROLL) is taken as a page; used as a pixel count it would wrap to -1 and move
// the content against the request.
int64_t LineStep(UINT page) {
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL) return page;
  return lines;
}

}  // namespace

void QFTASKPANELCLASS::SETSCROLLINFO(int32_t NMIN, int32_t NMAX, int32_t NPAGE, int32_t NPOS) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = NMIN;
  si.nMax = NMAX;
  si.nPage = static_cast<UINT>(NPAGE);
  si.nPos = NPOS;
  si.nTrackPos = 0;
  SetScrollInfo(HWND, SB_VERT, &si, TRUE);
}

void QFTASKPANELCLASS::TAKESCROLLEVENT(WPARAM WPARAMVALUE) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (!GetScrollInfo(HWND, SB_VERT, &si)) si = SCROLLINFO{};  // a failed read counts as all 0

  const int64_t step = LineStep(si.nPage);
  const int64_t page = si.nPage;
  int64_t pos = SCROLLPOS;
  switch (LOWORD(WPARAMVALUE)) {
    case SB_LINEUP: pos -= step; break;
    case SB_LINEDOWN: pos += step; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: break;  // SB_THUMBPOSITION, SB_ENDSCROLL and the rest leave the offset
  }
  // The largest position Windows allows for the range and page, then never above the top;
  // the lower clamp comes second, so a range smaller than the page ends at 0.
  const int64_t last = static_cast<int64_t>(si.nMax) - page + 1;
  if (pos > last) pos = last;
  if (pos < 0) pos = 0;
  SCROLLPOS = static_cast<int32_t>(pos);
  REFRESH();
}
