// A group's header bar: rounded upper corners, flat or a horizontal gradient, the round
// expand/collapse button at its right end, the optional group icon that stands 8 pixels
// above the bar, and the title.
#include "gdi.h"
#include "qftaskpanel.h"
#include "text_util.h"

using namespace taskpanel::gdi;

namespace {

constexpr std::size_t kIconNameLength = 79;

const QTP_COLORGROUP& BarColours(const QFTASKPANELCLASS& panel, const QTP_HEADERITEM& header) {
  return header.STYLE == 1 ? panel.COLORSCHEMA.HEADERS2 : panel.COLORSCHEMA.HEADERS;
}

void DrawFlatBar(QFTASKPANELCLASS& panel, HDC dc, const QTP_RECT& r, const QTP_COLORGROUP& g) {
  {
    // The bar covers columns L to R - 2, as the gradient bar does. An outline in the bar's
    // own colour on a rectangle one smaller gives that area wherever GDI runs; a null pen
    // on the full rectangle fills one column more on some implementations (Wine).
    const Brush brush = SolidBrush(g.BACKGROUND);
    const Pen pen(CreatePen(PS_SOLID, 1, g.BACKGROUND));
    const ScopedSelect selectPen(dc, pen.get());
    const ScopedSelect selectBrush(dc, brush.get());
    RoundRect(dc, r.LEFT, r.TOP, r.RIGHT - 1, r.BOTTOM - 1, 5, 5);
  }
  // Squares off the bottom: only the upper corners are round, the bar is 25 rows high.
  panel.DRAWRECT(dc, r.LEFT, r.BOTTOM - 5, r.RIGHT - 1, r.BOTTOM, panel.COLORSCHEMA.PANEL.BACKGROUND);
}

void DrawGradientBar(HDC dc, const QTP_RECT& r, const QTP_COLORGROUP& g) {
  const int32_t w = r.RIGHT - r.LEFT - 1;
  const int32_t h = r.BOTTOM - r.TOP - 5;
  TRIVERTEX vertices[2] = {QFTASKPANELCLASS::CREATEVERTEX(g.GRADIENTFROM, 0, 0),
                           QFTASKPANELCLASS::CREATEVERTEX(g.GRADIENTTO, w, h)};
  GRADIENT_RECT rect{0, 1};
  const MemoryDC memory(dc);
  if (!memory) return;
  const Bitmap bar(CreateCompatibleBitmap(dc, r.RIGHT - r.LEFT, r.BOTTOM - r.TOP));
  if (!bar) return;
  const ScopedSelect select(memory.get(), bar.get());
  QTP_GradientFill(memory.get(), vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
  // Round the upper corners: three pixels at each show the background already drawn there.
  const struct {
    int32_t fromX, fromY, toX, toY;
  } corners[] = {{r.LEFT, r.TOP, 0, 0},          {r.LEFT + 1, r.TOP, 1, 0},  {r.LEFT, r.TOP + 1, 0, 1},
                 {r.RIGHT - 1, r.TOP, w - 1, 0}, {r.RIGHT - 2, r.TOP, w - 2, 0}, {r.RIGHT - 1, r.TOP + 1, w - 1, 1}};
  for (const auto& c : corners) BitBlt(memory.get(), c.toX, c.toY, 1, 1, dc, c.fromX, c.fromY, SRCCOPY);
  BitBlt(dc, r.LEFT, r.TOP, w, h, memory.get(), 0, 0, SRCCOPY);
}

// The expand/collapse button's picture: "taskxp" + c (open) or e (closed), then s when
// hovered, w for style 1, and "_ico".
std::string ButtonIconName(const QTP_HEADERITEM& header) {
  std::string name = header.ISEXPANDED ? "taskxpc" : "taskxpe";
  if (header.ISHOVERED) name += 's';
  if (header.STYLE == 1) name += 'w';
  return name + "_ico";
}

}  // namespace

TRIVERTEX QFTASKPANELCLASS::CREATEVERTEX(uint32_t CCOLOR, int32_t X, int32_t Y) {
  TRIVERTEX v{};
  v.x = X;
  v.y = Y;
  v.Red = static_cast<COLOR16>((CCOLOR & 0xFF) << 8);
  v.Green = static_cast<COLOR16>(((CCOLOR >> 8) & 0xFF) << 8);
  v.Blue = static_cast<COLOR16>(((CCOLOR >> 16) & 0xFF) << 8);
  v.Alpha = 0;
  return v;
}

void QFTASKPANELCLASS::DRAWHEADER(HDC DC, const QTP_RECT& RHDR) {
  if (!HEADERS || !HEADERS->Pointer()) return;  // no current header to draw
  const QTP_HEADERITEM& header = HEADERS->buffer;  // the current header
  const QTP_COLORGROUP& g = BarColours(*this, header);

  if (NOGRADIENT != 0 || !QTP_GradientFill)
    DrawFlatBar(*this, DC, RHDR, g);
  else
    DrawGradientBar(DC, RHDR, g);

  if (!header.ISALWAYSEXPANDED) DRAWICON(DC, RHDR.RIGHT - 24, RHDR.TOP + 4, 24, 24, ButtonIconName(header));

  RECT text{RHDR.LEFT, RHDR.TOP, RHDR.RIGHT - 25, RHDR.BOTTOM - 3};
  const std::string icon = taskpanel::CutTo(taskpanel::WithoutTrailingBlanks(header.ICONNAME), kIconNameLength);
  if (!icon.empty()) {
    DRAWICON(DC, RHDR.LEFT, RHDR.TOP - 8, 32, 32, icon);  // stands 8 pixels above the bar
    text.left = RHDR.LEFT + 37;
  } else {
    text.left = RHDR.LEFT + 6;
  }

  const ScopedSelect font(DC, HHEADERFONT);
  const ScopedBkMode transparent(DC, TRANSPARENT);
  SetTextColor(DC, header.ISHOVERED ? g.HOVERED : g.TEXT);
  DrawTextA(DC, header.TITLE.c_str(), static_cast<int>(header.TITLE.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}
