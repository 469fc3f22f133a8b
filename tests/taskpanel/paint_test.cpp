// What the panel shows, read back from the real control: background, header bars, boxes,
// icons, text placement, and the scroll bar. Runs with and without the gradient function.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "paint_support.h"
#include "panel_fixture.h"

namespace {

using panel_test::HaveGradients;
using panel_test::Ink;
using panel_test::InkIn;
using panel_test::PanelFixture;
using panel_test::ReferenceInk;
using testing_support::Capture;

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kGreen = 0x0000FF00;
constexpr COLORREF kBar = 0x00803010;  // header bars of one flat colour in both modes
constexpr UINT kSingleLine = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

class PanelPaint : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    icons = std::make_unique<testing_support::TempDir>();
    inIconDir = std::make_unique<testing_support::ScopedCurrentDir>(icons->path());
    // Icon files in the current directory: not resources, so they are loaded as files.
    ASSERT_TRUE(panel_test::WriteSolidIcon("red16.ico", 16, kRed));
    ASSERT_TRUE(panel_test::WriteSolidIcon("red24.ico", 24, kRed));
    ASSERT_TRUE(panel_test::WriteSolidIcon("green32.ico", 32, kGreen));
    panel->SETFONT("Tahoma");
  }
  void TearDown() override {
    PanelFixture::TearDown();
    inIconDir.reset();
    icons.reset();
  }
  // Header bars of one colour whatever the mode, with a white title.
  void FlatBars() {
    panel->SETCOLORGRP(2, kBar, kBar, kBar, kWhite, kWhite);
    panel->SETCOLORGRP(3, kBar, kBar, kBar, kWhite, kWhite);
  }
  const QTP_HEADERITEM& StoredHeader(int32_t id) {
    for (std::size_t i = 1; i <= panel->HEADERS->Records(); ++i)
      if (panel->HEADERS->At(i).ID == id) return panel->HEADERS->At(i);
    ADD_FAILURE() << "no header " << id;
    return panel->HEADERS->At(1);
  }
  const QTP_TASKITEM& StoredTask(int32_t header, std::size_t position) {
    return StoredHeader(header).TASKQUEUE->At(position);
  }
  template <class Change>
  void ChangeTask(int32_t header, std::size_t position, Change change) {
    ASSERT_TRUE(panel->GETHDR(header));
    QTP_TASKQUEUE& tasks = *panel->HEADERS->buffer.TASKQUEUE;
    ASSERT_TRUE(tasks.Get(position));
    change(tasks.buffer);
    tasks.Put();
  }
  template <class Change>
  void ChangeHeader(int32_t header, Change change) {
    ASSERT_TRUE(panel->GETHDR(header));
    change(panel->HEADERS->buffer);
    panel->HEADERS->Put();
  }
  COLORREF TaskFill() const { return panel->COLORSCHEMA.TASKS.BACKGROUND; }
  // The panel background of a row: left of every group.
  static COLORREF Background(const Capture& shot, int y) { return shot.At(2, y); }

  std::unique_ptr<testing_support::TempDir> icons;
  std::unique_ptr<testing_support::ScopedCurrentDir> inIconDir;
};

TEST_F(PanelPaint, EmptyPanelShowsOnlyTheBackground) {
  panel->SETCOLORGRP(1, 0x00336699, 0x000000C0, 0x00C00000, 0, 0);
  Init();
  const Capture shot = Snapshot();
  const int h = shot.height();
  if (HaveGradients()) {
    // One vertical gradient over the whole content (here the client area).
    EXPECT_EQ(shot.At(5, 0), 0x000000C0u);
    EXPECT_TRUE(panel_test::Near(shot.At(5, h - 1), 0x00C00000, 3)) << std::hex << shot.At(5, h - 1);
    EXPECT_TRUE(panel_test::Near(shot.At(5, h / 2), 0x00600060, 3)) << std::hex << shot.At(5, h / 2);
    for (int y : {0, h / 3, h - 1}) EXPECT_EQ(shot.At(shot.width() - 1, y), shot.At(0, y));
  } else {
    for (int y : {0, h / 2, h - 1})
      for (int x : {0, 100, shot.width() - 1}) EXPECT_EQ(shot.At(x, y), 0x00336699u);
  }
  EXPECT_FALSE(VerticalBarShown());
}

TEST_F(PanelPaint, FlatBarOrGradientBar) {
  panel->SETCOLORGRP(2, 0x00102030, 0x000000C0, 0x00C00000, kWhite, kWhite);
  const int32_t id = panel->ADDHEADER("", 0, 0);  // closed: nothing below the bar
  Init();
  const Capture shot = Snapshot();
  const QTP_RECT bar = StoredHeader(id).MOUSERECT;
  ASSERT_EQ(bar, (QTP_RECT{10, 20, 210, 45}));
  const int l = bar.LEFT, t = bar.TOP, r = bar.RIGHT;
  if (HaveGradients()) {
    // From GRADIENTFROM at the left to GRADIENTTO at the right; BACKGROUND is not used.
    EXPECT_TRUE(panel_test::Near(shot.At(l + 2, t + 10), 0x000000C0, 4)) << std::hex << shot.At(l + 2, t + 10);
    EXPECT_TRUE(panel_test::Near(shot.At(r - 30, t + 10), 0x00A4001C, 6)) << std::hex << shot.At(r - 30, t + 10);
    // The three pixels at each upper corner show the background drawn before the bar.
    for (POINT p : {POINT{l, t}, POINT{l + 1, t}, POINT{l, t + 1}, POINT{r - 2, t}, POINT{r - 3, t},
                    POINT{r - 2, t + 1}})
      EXPECT_EQ(shot.At(p.x, p.y), Background(shot, p.y)) << p.x << "," << p.y;
    EXPECT_NE(shot.At(l + 2, t), Background(shot, t));
    EXPECT_NE(shot.At(l + 1, t + 1), Background(shot, t + 1));
  } else {
    EXPECT_EQ(shot.At(l + 2, t + 10), 0x00102030u);
    EXPECT_EQ(shot.At(r - 30, t + 10), 0x00102030u);
    EXPECT_EQ(shot.At(l, t), Background(shot, t));  // rounded
    EXPECT_EQ(shot.At(r - 2, t), Background(shot, t));
    EXPECT_EQ(shot.At(l + 2, t), 0x00102030u);
  }
  // Both bars cover columns L to R - 2.
  for (int y = t; y < t + 25; ++y) {
    EXPECT_EQ(shot.At(r - 1, y), Background(shot, y)) << y;
    if (y <= t + 2) continue;  // the rounded corners
    EXPECT_NE(shot.At(r - 2, y), Background(shot, y)) << y;
    EXPECT_NE(shot.At(l, y), Background(shot, y)) << y;
  }
  // 25 rows high: below it the background shows again, in both modes.
  EXPECT_NE(shot.At(l + 10, t + 24), Background(shot, t + 24));
  for (int y = t + 25; y < t + 30; ++y) EXPECT_EQ(shot.At(l + 10, y), Background(shot, y)) << y;
}

TEST_F(PanelPaint, BoxLinesAreOnePixelWideAndWhite) {
  panel->SETCOLORGRP(2, kBar, kBar, kBar, kWhite, kWhite);
  const int32_t id = panel->ADDHEADER("Group", 0);
  panel->ADDTASK(id, "One", 1);
  panel->ADDTASK(id, "Two", 2);
  // Colour schemes cannot recolour the lines.
  panel->SETCOLORGRP(4, 0x00404040, 0, 0, 0x00101010, 0);
  Init();
  const Capture shot = Snapshot();
  const QTP_RECT first = StoredTask(id, 1).MOUSERECT;
  const QTP_RECT last = StoredTask(id, 2).MOUSERECT;
  const int l = first.LEFT, r = first.RIGHT;
  // Left and right edges over the top strip and every row.
  for (int y = first.TOP - 5; y < last.BOTTOM + 4; ++y) {
    EXPECT_EQ(shot.At(l, y), kWhite) << y;
    EXPECT_EQ(shot.At(l + 1, y), TaskFill()) << y;
    EXPECT_EQ(shot.At(l - 1, y), Background(shot, y)) << y;
    EXPECT_EQ(shot.At(r - 2, y), kWhite) << y;
    EXPECT_EQ(shot.At(r - 3, y), TaskFill()) << y;
    EXPECT_EQ(shot.At(r - 1, y), Background(shot, y)) << y;
  }
  // Between two rows there is no line; the bottom line lies 4 rows below the last row.
  EXPECT_EQ(shot.At(l + 5, last.TOP), TaskFill());
  const int bottom = last.BOTTOM + 4;
  for (int x = l; x <= r - 2; ++x) EXPECT_EQ(shot.At(x, bottom), kWhite) << x;
  EXPECT_EQ(shot.At(l + 5, bottom - 1), TaskFill());
  EXPECT_EQ(shot.At(l + 5, bottom + 1), Background(shot, bottom + 1));
}

TEST_F(PanelPaint, HitRectanglesLieWhereTheContentIsDrawn) {
  FlatBars();
  const int32_t a = panel->ADDHEADER("A", 0);
  panel->ADDTASK(a, "a1", 1);
  panel->ADDTASK(a, "a2", 1);
  const int32_t b = panel->ADDHEADER("B", 1, 0);
  const int32_t c = panel->ADDHEADER("C", 0);
  panel->ADDTASK(c, "c1", 1, 0, "red16.ico");
  Init();
  const Capture shot = Snapshot();
  for (int32_t id : {a, b, c}) {
    const QTP_RECT m = StoredHeader(id).MOUSERECT;
    EXPECT_EQ(m.BOTTOM - m.TOP, 25);
    EXPECT_EQ(shot.At(m.LEFT + 3, m.TOP), kBar);
    EXPECT_EQ(shot.At(m.LEFT + 3, m.BOTTOM - 1), kBar);
    EXPECT_NE(shot.At(m.LEFT + 3, m.TOP - 1), kBar);
  }
  // Worked out by hand for the default margins (20 on top, 10 at the sides, gaps of 20) and
  // rows of 25 (icon size 24 + 1): bars of 25 rows, rows from the bar's rectangle down, the next
  // header 20 rows below a box's bottom line (row + 4) or below a closed bar.
  EXPECT_EQ(StoredHeader(a).MOUSERECT, (QTP_RECT{10, 20, 210, 45}));
  EXPECT_EQ(StoredTask(a, 1).MOUSERECT, (QTP_RECT{10, 50, 210, 75}));
  EXPECT_EQ(StoredTask(a, 2).MOUSERECT, (QTP_RECT{10, 75, 210, 100}));
  EXPECT_EQ(StoredHeader(b).MOUSERECT, (QTP_RECT{10, 125, 210, 150}));
  EXPECT_EQ(StoredHeader(c).MOUSERECT, (QTP_RECT{10, 170, 210, 195}));
  EXPECT_EQ(StoredTask(c, 1).MOUSERECT, (QTP_RECT{10, 200, 210, 225}));
  for (const QTP_RECT& m : {StoredTask(a, 1).MOUSERECT, StoredTask(a, 2).MOUSERECT, StoredTask(c, 1).MOUSERECT}) {
    EXPECT_EQ(shot.At(m.LEFT, m.TOP), kWhite);
    EXPECT_EQ(shot.At(m.LEFT + 1, m.TOP), TaskFill());
    EXPECT_EQ(shot.At(m.LEFT + 1, m.BOTTOM - 1), TaskFill());
  }
}

TEST_F(PanelPaint, TitleStartsSixOrThirtySevenPixelsIn) {
  FlatBars();
  const int32_t plain = panel->ADDHEADER("Wx", 0, 0);
  const int32_t withIcon = panel->ADDHEADER("Wx", 0, 0, "green32.ico");
  const int32_t always = panel->ADDHEADER("Wx", 0, 0);
  ChangeHeader(always, [](QTP_HEADERITEM& h) { h.ISALWAYSEXPANDED = 1; });
  Init();
  const Capture shot = Snapshot();
  const struct {
    int32_t id;
    int offset;
  } cases[] = {{plain, 6}, {withIcon, 37}, {always, 6}};
  for (const auto& c : cases) {
    const QTP_RECT m = StoredHeader(c.id).MOUSERECT;
    const int textLeft = m.LEFT + c.offset, textRight = m.RIGHT - 25;
    const Ink ref = ReferenceInk(panel->HHEADERFONT, "Wx", kSingleLine, textRight - textLeft, 27);
    const RECT area{m.LEFT + 1, m.TOP + 1, textRight, m.BOTTOM - 1};
    const Ink ink = InkIn(shot, area, kBar, [](COLORREF col) { return col == kGreen; });
    ASSERT_TRUE(ink.any());
    EXPECT_EQ(ink.left, textLeft + ref.left) << "offset " << c.offset;
    EXPECT_EQ(ink.width(), ref.width());
  }
}

TEST_F(PanelPaint, LongHeaderTitleEndsBeforeTheButtonWithoutWrapping) {
  FlatBars();
  const int32_t id = panel->ADDHEADER(std::string(40, 'W') + " and more words", 0, 0);
  Init();
  const Capture shot = Snapshot();
  const QTP_RECT m = StoredHeader(id).MOUSERECT;
  const Ink ink = InkIn(shot, RECT{m.LEFT + 1, m.TOP + 1, m.RIGHT - 24, m.BOTTOM}, kBar);
  ASSERT_TRUE(ink.any());
  EXPECT_LE(ink.right, m.RIGHT - 26);
  EXPECT_GE(ink.right, m.RIGHT - 40);  // cut with an ellipsis right at its end
  EXPECT_LE(ink.bottom - ink.top, panel_test::LineHeight(panel->HHEADERFONT));  // one line
}

TEST_F(PanelPaint, ButtonPicturesFollowStateHoverAndStyle) {
  FlatBars();
  const struct {
    uint8_t expanded, hovered, style, always;
    COLORREF disc, chevron;
  } cases[] = {
      {1, 0, 0, 0, 0x00D0632D, 0x00FFFFFF}, {1, 1, 0, 0, 0x00D0632D, 0x00FFD0A8},
      {1, 0, 1, 0, 0x00FFFFFF, 0x00A84B21}, {1, 1, 1, 0, 0x00FFFFFF, 0x00FF8E42},
      {0, 0, 0, 0, 0x00D0632D, 0x00FFFFFF}, {0, 1, 0, 0, 0x00D0632D, 0x00FFD0A8},
      {0, 0, 1, 0, 0x00FFFFFF, 0x00A84B21}, {0, 1, 1, 0, 0x00FFFFFF, 0x00FF8E42},
      {0, 0, 7, 0, 0x00D0632D, 0x00FFFFFF},  // any style but 1: the plain pictures
      {1, 0, 0, 1, kBar, kBar},              // always expanded: no button
  };
  std::vector<int32_t> ids;
  for (const auto& c : cases) {
    const int32_t id = panel->ADDHEADER("", c.style, c.expanded);
    ChangeHeader(id, [&](QTP_HEADERITEM& h) {
      h.ISHOVERED = c.hovered;
      h.ISALWAYSEXPANDED = c.always;
    });
    ids.push_back(id);
  }
  ResizeControl(220, 900);
  Init();
  const Capture shot = Snapshot();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(i);
    const QTP_RECT m = StoredHeader(ids[i]).MOUSERECT;
    const int x = m.RIGHT - 24, y = m.TOP + 4;  // the picture's top-left corner
    EXPECT_EQ(shot.At(x + 2, y + 8), c.disc);
    EXPECT_EQ(shot.At(x + 8, c.expanded ? y + 4 : y + 12), c.chevron);
    EXPECT_EQ(shot.At(x + 20, y + 2), kBar);  // transparent outside the disc
  }
}

TEST_F(PanelPaint, GroupIconReachesEightPixelsAboveItsHeader) {
  FlatBars();
  const int32_t id = panel->ADDHEADER("Title", 0, 0, "green32.ico");
  Init();
  const Capture shot = Snapshot();
  const QTP_RECT m = StoredHeader(id).MOUSERECT;
  EXPECT_EQ(shot.At(m.LEFT, m.TOP - 8), kGreen);
  EXPECT_EQ(shot.At(m.LEFT + 31, m.TOP - 8), kGreen);
  EXPECT_EQ(shot.At(m.LEFT + 31, m.TOP + 23), kGreen);
  EXPECT_EQ(shot.At(m.LEFT, m.TOP - 9), Background(shot, m.TOP - 9));
  EXPECT_EQ(shot.At(m.LEFT + 32, m.TOP - 8), Background(shot, m.TOP - 8));
  EXPECT_EQ(shot.At(m.LEFT + 20, m.TOP + 24), kBar);
}

// The group and task icons in the painted panel are exactly what the system draws there:
// the icon loaded at the header's icon size and drawn with DrawIconEx over what lies under
// it (the same panel painted with icon names that find nothing).
TEST_F(PanelPaint, IconsInPlaceLookAsTheSystemDrawsThem) {
  FlatBars();
  const struct {
    uint8_t size;
    const char* icon;
    const char* resource;
  } tasks[] = {
      {16, "Menu_Informes.ICO", "MENU_INFORMES_ICO"},          // 32 scaled to 16, as Brivane's "Informes"
      {24, "Menu_Informes.ICO", "MENU_INFORMES_ICO"},          // 32 scaled to 24
      {16, "MENU_Comprobantes.ico", "MENU_COMPROBANTES_ICO"},  // one of its own images
      {24, "taskxpc.ico", "TASKXPC_ICO"},                      // 256 colours, its own size
  };
  const int32_t withIcon = panel->ADDHEADER("Informes", 0, 0, "missing.ico");
  std::vector<int32_t> ids;
  for (const auto& t : tasks) {
    ids.push_back(panel->ADDHEADER("Grupo", 0, 1, "", t.size));
    panel->ADDTASK(ids.back(), "Tarea", 1, 0, "missing.ico");
  }
  Init();
  const Capture under = Snapshot();
  ChangeHeader(withIcon, [](QTP_HEADERITEM& h) { h.ICONNAME = "Menu_Informes.ICO"; });
  for (std::size_t i = 0; i < ids.size(); ++i)
    ChangeTask(ids[i], 1, [&](QTP_TASKITEM& t) { t.ICONNAME = tasks[i].icon; });
  Paint();
  const Capture shot = Snapshot();

  const QTP_RECT bar = StoredHeader(withIcon).MOUSERECT;
  const panel_test::IconMismatch group = panel_test::CompareWithDrawIconEx(
      panel_test::PixelsOf(shot), panel_test::PixelsOf(under), bar.LEFT, bar.TOP - 8, "MENU_INFORMES_ICO", 32);
  EXPECT_EQ(group.pixels, 0) << "group icon " << group.first;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE(std::string(tasks[i].icon) + " at " + std::to_string(tasks[i].size));
    const QTP_RECT row = StoredTask(ids[i], 1).MOUSERECT;
    const panel_test::IconMismatch m =
        panel_test::CompareWithDrawIconEx(panel_test::PixelsOf(shot), panel_test::PixelsOf(under), row.LEFT + 5,
                                          row.TOP + 1, tasks[i].resource, tasks[i].size);
    EXPECT_EQ(m.pixels, 0) << m.first;
  }
}

TEST_F(PanelPaint, IconPlacementRowHeightsAndTextOffsets) {
  const struct {
    uint8_t iconSize;
    const char* icon;
    int minRow, textOffset;
  } cases[] = {{16, "red16.ico", 20, 26}, {24, "red24.ico", 25, 31}};
  std::vector<int32_t> headers;
  for (const auto& c : cases) {
    const int32_t h = panel->ADDHEADER("G", 0, 1, "", c.iconSize);
    panel->ADDTASK(h, "Wx", 1, 0, c.icon);
    panel->ADDTASK(h, "Wx", 1);  // no icon, justification 0: text in line with the other
    headers.push_back(h);
  }
  Init();
  const Capture shot = Snapshot();
  for (std::size_t i = 0; i < headers.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(int(c.iconSize));
    for (std::size_t position : {1u, 2u}) {
      const QTP_RECT row = StoredTask(headers[i], position).MOUSERECT;
      EXPECT_EQ(row.BOTTOM - row.TOP, c.minRow);
      const int textLeft = row.LEFT + c.textOffset, textRight = row.RIGHT - 11;
      const Ink ref = ReferenceInk(panel->HTASKFONT[0][0], "Wx", kSingleLine, textRight - textLeft, c.minRow);
      const Ink ink = InkIn(shot, RECT{row.LEFT + 5 + c.iconSize, row.TOP, row.RIGHT - 3, row.BOTTOM}, TaskFill());
      ASSERT_TRUE(ink.any());
      EXPECT_EQ(ink.left, textLeft + ref.left);
      EXPECT_EQ(ink.right, textLeft + ref.right);
      EXPECT_EQ(ink.top, row.TOP + ref.top);
    }
    const QTP_RECT row = StoredTask(headers[i], 1).MOUSERECT;
    const int s = c.iconSize, x = row.LEFT + 5, y = row.TOP + 1;
    EXPECT_EQ(shot.At(x, y), kRed);
    EXPECT_EQ(shot.At(x + s - 1, y + s - 1), kRed);
    EXPECT_NE(shot.At(x - 1, y), kRed);
    EXPECT_NE(shot.At(x, y - 1), kRed);
    EXPECT_NE(shot.At(x + s, y), kRed);
    EXPECT_NE(shot.At(x, y + s), kRed);
  }
}

TEST_F(PanelPaint, Justification) {
  const struct {
    uint8_t justification;
    UINT align;
    int leftOffset;  // text rectangle's left from the row's left (ICONSIZES 24)
  } cases[] = {{0, 0, 31}, {1, 0, 6}, {2, DT_RIGHT, 6}, {3, DT_CENTER, 6}, {9, 0, 6}};
  const int32_t h = panel->ADDHEADER("G", 0);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    panel->ADDTASK(h, "Wide title", 1);
    ChangeTask(h, i + 1, [&](QTP_TASKITEM& t) { t.JUSTIFICATION = cases[i].justification; });
  }
  Init();
  const Capture shot = Snapshot();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(int(c.justification));
    const QTP_RECT row = StoredTask(h, i + 1).MOUSERECT;
    const int textLeft = row.LEFT + c.leftOffset, textRight = row.RIGHT - 11;
    const Ink ref =
        ReferenceInk(panel->HTASKFONT[0][0], "Wide title", kSingleLine | c.align, textRight - textLeft, 25);
    const Ink ink = InkIn(shot, RECT{row.LEFT + 1, row.TOP, row.RIGHT - 3, row.BOTTOM}, TaskFill());
    ASSERT_TRUE(ink.any());
    EXPECT_EQ(ink.left, textLeft + ref.left);
    EXPECT_EQ(ink.right, textLeft + ref.right);
  }
}

// A title that wraps higher than the minimum row gives a row of the measured height + 6,
// drawn word-broken 2 pixels lower; with the header's or the panel's word wrap off the same
// title is one line ending in an ellipsis, in a row of the minimum height.
TEST_F(PanelPaint, WrappedTitleAndEllipsisWithWrapOff) {
  const std::string title = "Facturas de proveedores pendientes de revisar este mes";
  const int32_t wraps = panel->ADDHEADER("Wrap", 0);
  panel->ADDTASK(wraps, title, 1);
  const int32_t cuts = panel->ADDHEADER("No wrap", 0);
  panel->ADDTASK(cuts, title, 1);
  ChangeHeader(cuts, [](QTP_HEADERITEM& hd) { hd.WORDWRAP = 0; });
  const struct {
    uint8_t panelWrap;
    int32_t header;
    bool wrapped;
  } cases[] = {{1, wraps, true}, {1, cuts, false}, {0, wraps, false}, {0, cuts, false}};
  Init();
  HFONT font = panel->HTASKFONT[0][0];
  const int line = panel_test::LineHeight(font);
  for (uint8_t panelWrap : {1, 0}) {
    panel->WORDWRAP = panelWrap;
    Paint();
    const Capture shot = Snapshot();
    for (const auto& c : cases) {
      if (c.panelWrap != panelWrap) continue;
      SCOPED_TRACE(std::string("panel wrap ") + char('0' + panelWrap) + (c.header == wraps ? ", header wrap 1" : ", header wrap 0"));
      const QTP_RECT row = StoredTask(c.header, 1).MOUSERECT;
      const Ink ink = InkIn(shot, RECT{row.LEFT + 1, row.TOP, row.RIGHT - 3, row.BOTTOM}, TaskFill());
      ASSERT_TRUE(ink.any());
      EXPECT_LE(ink.right, row.RIGHT - 12);  // within the text rectangle
      if (c.wrapped) {
        // Measured at the row width less the icon column and the insets: the measured height + 6.
        const int measured = panel_test::MeasuredHeight(font, title, DT_WORDBREAK | DT_VCENTER | DT_END_ELLIPSIS,
                                                        row.RIGHT - row.LEFT - 10 - (25 + 10) - 6);
        ASSERT_GT(measured, 25);
        EXPECT_EQ(row.BOTTOM - row.TOP, measured + 6);
        EXPECT_GT(ink.bottom - ink.top, line);  // more than one line
        EXPECT_GE(ink.top, row.TOP + 2);        // drawn 2 pixels lower
        EXPECT_EQ(shot.At(row.LEFT, row.BOTTOM - 1), kWhite);  // the box edge runs along the whole row
      } else {
        EXPECT_EQ(row.BOTTOM - row.TOP, 25);
        EXPECT_LE(ink.bottom - ink.top, line);
        EXPECT_GE(ink.right, row.RIGHT - 11 - 16);  // the ellipsis fills the line to its end
      }
    }
  }
}

// A boxed header has no bar: a white line 5 rows above its top closes the top of its box,
// its hit rectangle has no height and its first row starts 1 row below its top. A closed
// boxed group draws only that line, and the next header starts NBOTTOMMARGIN - 4 rows below
// its top.
TEST_F(PanelPaint, BoxedHeaderIsALineAboveItsRows) {
  FlatBars();
  const int32_t open = panel->ADDHEADER("Abierto", 0);
  panel->ADDTASK(open, "Tarea", 1);
  const int32_t closed = panel->ADDHEADER("Cerrado", 0, 0);
  const int32_t next = panel->ADDHEADER("Siguiente", 0, 0);
  for (int32_t id : {open, closed}) ChangeHeader(id, [](QTP_HEADERITEM& h) { h.ISBOXED = 1; });
  Init();
  const Capture shot = Snapshot();
  // Margins: 20 at the top and between groups, 10 at the sides; the control is 220 wide.
  EXPECT_EQ(StoredHeader(open).MOUSERECT, (QTP_RECT{10, 20, 210, 20}));
  EXPECT_EQ(StoredTask(open, 1).MOUSERECT, (QTP_RECT{10, 21, 210, 46}));
  EXPECT_EQ(StoredHeader(closed).MOUSERECT, (QTP_RECT{10, 71, 210, 71}));
  EXPECT_EQ(StoredHeader(next).MOUSERECT, (QTP_RECT{10, 87, 210, 112}));

  for (int top : {20, 71}) {
    SCOPED_TRACE(top);
    const int line = top - 5;
    for (int x = 10; x <= 208; ++x) EXPECT_EQ(shot.At(x, line), kWhite) << x;
    EXPECT_EQ(shot.At(9, line), Background(shot, line));
    EXPECT_EQ(shot.At(209, line), Background(shot, line));
    EXPECT_EQ(shot.At(100, line - 1), Background(shot, line - 1));  // no bar above the line
  }
  // The open box: its top strip and first row, edged in white, with no bar or title in it.
  for (int y = 16; y < 46; ++y) {
    EXPECT_EQ(shot.At(10, y), kWhite) << y;
    EXPECT_EQ(shot.At(208, y), kWhite) << y;
    if (y > 20) continue;
    for (int x = 11; x < 208; ++x) EXPECT_EQ(shot.At(x, y), TaskFill()) << x << "," << y;
  }
  // The closed box: nothing below its line until the next header's bar.
  for (int y = 67; y < 87; ++y)
    for (int x = 0; x < shot.width(); ++x) EXPECT_EQ(shot.At(x, y), Background(shot, y)) << x << "," << y;
  EXPECT_EQ(shot.At(13, 87), kBar);
}

TEST_F(PanelPaint, AmpersandsUnderlineOrDrawOne) {
  const int32_t h = panel->ADDHEADER("G", 0);
  for (const char* t : {"Wx", "&Wx", "W&&x"}) panel->ADDTASK(h, t, 1);
  Init();
  const Capture shot = Snapshot();
  Ink inks[3];
  for (std::size_t i = 0; i < 3; ++i) {
    const QTP_RECT row = StoredTask(h, i + 1).MOUSERECT;
    inks[i] = InkIn(shot, RECT{row.LEFT + 1, row.TOP, row.RIGHT - 3, row.BOTTOM}, TaskFill());
    ASSERT_TRUE(inks[i].any());
    inks[i].top -= row.TOP;
    inks[i].bottom -= row.TOP;
  }
  EXPECT_EQ(inks[1].left, inks[0].left);  // the "&" itself is not drawn ...
  EXPECT_GT(inks[1].bottom, inks[0].bottom);  // ... it underlines the "W"
  EXPECT_GT(inks[2].width(), inks[0].width() + 3);  // "&&" draws one "&"
  EXPECT_EQ(inks[2].bottom, inks[0].bottom);
}

TEST_F(PanelPaint, DisabledHoveredAndMarkedTasks) {
  panel->SETCOLORGRP(4, 0x00F0F0F0, 0, 0, 0x00FF0000, 0, kRed);
  const int32_t h = panel->ADDHEADER("G", 0);
  for (const char* t : {"Normal", "Disabled", "Hovered", "Marked"}) panel->ADDTASK(h, t, 1);
  ChangeTask(h, 2, [](QTP_TASKITEM& t) { t.ISDISABLED = 1; });
  ChangeTask(h, 3, [](QTP_TASKITEM& t) { t.ISHOVERED = 1; });
  ChangeTask(h, 4, [](QTP_TASKITEM& t) { t.ISBOLD = 1; });
  Init();
  const Capture shot = Snapshot();
  auto count = [&](std::size_t position, COLORREF colour) {
    const QTP_RECT row = StoredTask(h, position).MOUSERECT;
    int n = 0;
    for (int y = row.TOP; y < row.BOTTOM; ++y)
      for (int x = row.LEFT + 1; x < row.RIGHT - 2; ++x) n += shot.At(x, y) == colour;
    return n;
  };
  EXPECT_GT(count(1, 0x00FF0000), 0);
  EXPECT_EQ(count(1, kRed), 0);
  EXPECT_GT(count(2, kRed), 0);
  EXPECT_EQ(count(2, 0x00FF0000), 0);
  const QTP_RECT rows[] = {StoredTask(h, 1).MOUSERECT, StoredTask(h, 3).MOUSERECT, StoredTask(h, 4).MOUSERECT};
  for (const QTP_RECT& row : rows) {
    // None of them changes the row's height, fill or lines.
    EXPECT_EQ(row.BOTTOM - row.TOP, 25);
    EXPECT_EQ(shot.At(row.LEFT, row.TOP), kWhite);
    EXPECT_EQ(shot.At(row.LEFT + 2, row.TOP + 2), 0x00F0F0F0u);
  }
  // The hovered row is underlined: its ink reaches lower than the normal row's.
  auto inkOf = [&](std::size_t position) {
    const QTP_RECT row = StoredTask(h, position).MOUSERECT;
    Ink ink = InkIn(shot, RECT{row.LEFT + 1, row.TOP, row.RIGHT - 3, row.BOTTOM}, 0x00F0F0F0);
    ink.bottom -= row.TOP;
    return ink;
  };
  EXPECT_GE(inkOf(3).bottom, inkOf(1).bottom);
  const Ink underline = inkOf(3);
  const QTP_RECT hovered = StoredTask(h, 3).MOUSERECT;
  int run = 0;
  for (int x = underline.left; x <= underline.right; ++x)
    run += shot.At(x, hovered.TOP + underline.bottom) == 0x00FF0000;
  EXPECT_GT(run, underline.width() / 2);  // a line under the whole word
  EXPECT_GT(ReferenceInk(panel->HTASKFONT[1][0], "Marked", kSingleLine, 200, 25).width(),
            ReferenceInk(panel->HTASKFONT[0][0], "Marked", kSingleLine, 200, 25).width());
  EXPECT_EQ(inkOf(4).width(), ReferenceInk(panel->HTASKFONT[1][0], "Marked", kSingleLine, 200, 25).width());
}

TEST_F(PanelPaint, WithoutFontsTextIsDrawnInTheDefaultFont) {
  panel_test::RecordingPanel* p = panel.get();
  p->DESTROYFONTS();
  FlatBars();
  const int32_t h = p->ADDHEADER("Header", 0);
  p->ADDTASK(h, "Task", 1);
  Init();
  const Capture shot = Snapshot();
  const QTP_RECT bar = StoredHeader(h).MOUSERECT;
  EXPECT_TRUE(InkIn(shot, RECT{bar.LEFT + 2, bar.TOP + 2, bar.RIGHT - 26, bar.BOTTOM}, kBar).any());
  const QTP_RECT row = StoredTask(h, 1).MOUSERECT;
  EXPECT_TRUE(InkIn(shot, RECT{row.LEFT + 1, row.TOP, row.RIGHT - 3, row.BOTTOM}, TaskFill()).any());
}

// ---- Scroll bar and scroll position after a paint ----

class PanelScroll : public PanelPaint {
 protected:
  SIZE InitialSize() const override { return {220, 150}; }
  // Two open groups of three tasks: taller than the control.
  void TwoGroups() {
    FlatBars();
    for (const char* name : {"First", "Second"}) {
      const int32_t h = panel->ADDHEADER(name, 0);
      groups.push_back(h);
      for (const char* t : {"one", "two", "three"}) panel->ADDTASK(h, t, 1);
    }
  }
  int32_t Estimate() {
    panel_test_dc dc(control);
    const RECT c = ClientRect();
    return panel->CALCULATEPANELHEIGHT(dc.dc, QTP_RECT{0, 0, c.right, c.bottom});
  }
  struct panel_test_dc {
    explicit panel_test_dc(::HWND w) : window(w), dc(GetWindowDC(w)) {}
    ~panel_test_dc() { ReleaseDC(window, dc); }
    ::HWND window;
    HDC dc;
  };
  std::vector<int32_t> groups;
};

TEST_F(PanelScroll, ContentThatFitsShowsNoBarAndScrollsToTheTop) {
  const int32_t h = panel->ADDHEADER("Small", 0);
  panel->ADDTASK(h, "one", 1);
  panel->SCROLLPOS = 40;
  Init();
  EXPECT_FALSE(VerticalBarShown());
  EXPECT_EQ(panel->SCROLLPOS, 0);
  panel->SCROLLPOS = 17;
  Paint();
  EXPECT_EQ(panel->SCROLLPOS, 0);
  EXPECT_FALSE(VerticalBarShown());
}

TEST_F(PanelScroll, BarShownOnlyWhileTheClientIsLowerThanTheEstimate) {
  TwoGroups();
  Init();
  ASSERT_TRUE(VerticalBarShown());
  const SCROLLINFO bar = VerticalScrollInfo();
  const QTP_RECT last = StoredTask(groups[1], 3).MOUSERECT;
  EXPECT_EQ(bar.nMin, 0);
  EXPECT_EQ(bar.nMax, last.BOTTOM + 25);  // where the walk ends
  EXPECT_EQ(bar.nPage, 150u);
  // The layout is made for the client width that the bar leaves.
  EXPECT_EQ(last.RIGHT, ClientRect().right - 10);
  const Capture shot = Snapshot();
  EXPECT_EQ(shot.At(last.RIGHT - 2, 60), kWhite);

  // Taller than the estimate: the bar goes, and the whole width is used again.
  ResizeControl(220, Estimate() + 40);
  EXPECT_FALSE(VerticalBarShown());
  EXPECT_EQ(ClientRect().right, 220);
  EXPECT_EQ(StoredTask(groups[1], 3).MOUSERECT.RIGHT, 210);
  EXPECT_EQ(panel->SCROLLPOS, 0);
  // Exactly as tall as the estimate: still no bar.
  ResizeControl(220, Estimate());
  EXPECT_FALSE(VerticalBarShown());
  // One row lower: the bar comes back.
  ResizeControl(220, Estimate() - 1);
  EXPECT_TRUE(VerticalBarShown());
}

TEST_F(PanelScroll, ScrollPositionIsHeldInsideTheBuffer) {
  TwoGroups();
  Init();
  panel->SCROLLPOS = 100000;
  Paint();
  const int32_t estimate = Estimate();
  EXPECT_EQ(panel->SCROLLPOS, estimate - 150);
  EXPECT_EQ(VerticalScrollInfo().nPos, estimate - 150);

  // The content shrinks but still scrolls: the position comes down with it.
  panel->SETEXPANDED(groups[0], 0);
  Paint();
  ASSERT_TRUE(VerticalBarShown());
  EXPECT_EQ(panel->SCROLLPOS, Estimate() - 150);
  // The content fits: the position is 0 and the bar is gone.
  panel->SETEXPANDED(groups[1], 0);
  Paint();
  EXPECT_EQ(panel->SCROLLPOS, 0);
  EXPECT_FALSE(VerticalBarShown());
}

TEST_F(PanelScroll, TheSliceAtTheScrollPositionIsShown) {
  TwoGroups();
  Init();
  const Capture top = Snapshot();
  panel->SCROLLPOS = 30;
  Paint();
  EXPECT_EQ(panel->SCROLLPOS, 30);
  const Capture scrolled = Snapshot();
  for (int y = 0; y < 120; y += 3)
    for (int x = 0; x < scrolled.width(); x += 7) ASSERT_EQ(scrolled.At(x, y), top.At(x, y + 30)) << x << "," << y;
  // The hit rectangles stay in content coordinates.
  const QTP_RECT second = StoredHeader(groups[1]).MOUSERECT;
  EXPECT_EQ(scrolled.At(second.LEFT + 3, second.TOP - 30), kBar);
}

// Scrolled as far down as it goes, the control shows the last group's box with its bottom line
// where the figures worked out by hand put it: two groups of three rows of 25 in a control 150
// high. With margins 20/20 the estimate is 10 rows more than the content, shown as background;
// with 10/10 it is exact; with top 0 and a gap of 20 the traditional estimate would end 10 rows
// above the bottom line, and the panel's reaches it.
struct BottomCase {
  const char* name;
  int32_t top, bottom;
  int scrollPos, lineRow;  // at the bottom: the offset, and the client row of the bottom line
};
inline void PrintTo(const BottomCase& k, std::ostream* os) { *os << k.name; }

class PanelScrollBottom : public PanelScroll, public ::testing::WithParamInterface<BottomCase> {};

TEST_P(PanelScrollBottom, LowestRowsCanBeScrolledIntoView) {
  const BottomCase& k = GetParam();
  panel->SETMARGINS(10, k.top, 10, k.bottom);
  TwoGroups();
  Init();
  panel->SCROLLPOS = 100000;
  Paint();
  EXPECT_EQ(panel->SCROLLPOS, k.scrollPos);
  const Capture shot = Snapshot();
  const int right = ClientRect().right - 10;
  for (int x : {10, 50, right - 2}) EXPECT_EQ(shot.At(x, k.lineRow), kWhite) << x;
  EXPECT_EQ(shot.At(50, k.lineRow - 1), TaskFill());
  for (int y = k.lineRow + 1; y < 150; ++y) EXPECT_EQ(shot.At(50, y), Background(shot, y)) << y;
  // The scroll bar reaches as far: its largest position is not above the panel's.
  const SCROLLINFO bar = VerticalScrollInfo();
  EXPECT_GE(bar.nMax - static_cast<int>(bar.nPage) + 1, panel->SCROLLPOS);
}

INSTANTIATE_TEST_SUITE_P(Margins, PanelScrollBottom,
                         ::testing::Values(BottomCase{"Default", 20, 20, 120, 139}, BottomCase{"Ten", 10, 10, 100, 139},
                                           BottomCase{"NoTopMargin", 0, 20, 90, 149}),
                         [](const ::testing::TestParamInfo<BottomCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Icons from the program's resources look exactly as the system draws them, at their own
// size and scaled, on every kind of device context: a memory DC with a device bitmap, and
// DIB sections stored either way up. The background is striped, so that every blend of an
// icon's edges with what lies under it shows.
TEST(IconDrawing, ResourceIconsAsDrawIconExDrawsThem) {
  panel_test::RecordingPanel panel;
  constexpr int kWidth = 200, kHeight = 60;
  constexpr COLORREF kUnder = 0x00102030, kStripe = 0x00E0C0A0;
  const panel_test::PixelAt under = [](int, int y) { return y % 3 == 0 ? kStripe : kUnder; };
  const struct {
    const char* asked;     // the name the panel is given
    const char* resource;  // the resource it names
    int size;
  } icons[] = {
      {"TaskXPcw.ico", "TASKXPCW_ICO", 24},  // its own size; any case, dots as underscores
      {"taskxpe_ico", "TASKXPE_ICO", 12},    // 256 colours, scaled down
      {"taskxpe_ico", "TASKXPE_ICO", 32},    // scaled up
      {"Menu_Informes.ICO", "MENU_INFORMES_ICO", 32},      // alpha, its own size
      {"Menu_Informes.ICO", "MENU_INFORMES_ICO", 16},      // alpha, scaled down (a task icon)
      {"MENU_Comprobantes.ico", "MENU_COMPROBANTES_ICO", 16},  // one of its images
      {"MENU_Comprobantes.ico", "MENU_COMPROBANTES_ICO", 20},  // between two of its images
  };
  HDC screen = GetDC(nullptr);
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = nullptr;
    if (kind == 0) {
      bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    } else {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = kWidth;
      bi.bmiHeader.biHeight = kind == 1 ? kHeight : -kHeight;  // bottom-up, top-down
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      void* bits = nullptr;
      bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < kHeight; ++y) {
      const RECT row{0, y, kWidth, y + 1};
      HBRUSH fill = CreateSolidBrush(under(0, y));
      FillRect(dc, &row, fill);
      DeleteObject(fill);
    }
    int x = 2;
    for (const auto& icon : icons) {
      SCOPED_TRACE(std::string(icon.asked) + " at " + std::to_string(icon.size));
      panel.DRAWICON(dc, x, 5, icon.size, icon.size, icon.asked);
      GdiFlush();
      const panel_test::IconMismatch m = panel_test::CompareWithDrawIconEx(
          [dc](int px, int py) { return GetPixel(dc, px, py); }, under, x, 5, icon.resource, icon.size);
      EXPECT_EQ(m.pixels, 0) << m.first;
      x += icon.size + 3;  // no icon reaches the next one's border
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  ReleaseDC(nullptr, screen);
}

// Icons of the older kind (colours without alpha, and a mask), from files: one whose mask
// only cuts out, and one whose mask also inverts what lies under some pixels (masked pixels
// that are not black). Both come out as DrawIconEx draws them, the inverted pixels included.
TEST(IconDrawing, OlderIconsWithAMaskAsDrawIconExDrawsThem) {
  panel_test::RecordingPanel panel;
  testing_support::TempDir dir;
  const testing_support::ScopedCurrentDir in(dir.path());  // short names: the panel cuts long ones
  const auto masked = [](int x, int y) { return (x + y) % 4 != 0; };
  const auto cutOut = [&](int x, int y) { return masked(x, y) ? COLORREF{0} : kRed; };
  const auto inverting = [&](int x, int y) -> COLORREF {
    if (!masked(x, y)) return kRed;
    static const COLORREF xors[] = {0, kWhite, kGreen, 0x00A06030};
    return xors[(x / 2 + y) % 4];
  };
  ASSERT_TRUE(panel_test::WriteMaskedIcon("cutout.ico", 16, cutOut, masked));
  ASSERT_TRUE(panel_test::WriteMaskedIcon("inverting.ico", 16, inverting, masked));
  constexpr int kWidth = 120, kHeight = 40;
  constexpr COLORREF kUnder = 0x00102030, kStripe = 0x00E0C0A0;
  const panel_test::PixelAt under = [](int x, int y) { return (x + 2 * y) % 5 < 2 ? kStripe : kUnder; };
  // Onto a 32-bit DIB section and onto a bitmap compatible with the screen.
  auto drawAll = [&](HDC dc) {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) SetPixel(dc, x, y, under(x, y));
    int x = 2;
    for (const char* name : {"cutout.ico", "inverting.ico"})
      for (int size : {16, 32}) {
        SCOPED_TRACE(std::string(name) + " at " + std::to_string(size));
        panel.DRAWICON(dc, x, 4, size, size, name);
        GdiFlush();
        HICON icon = static_cast<HICON>(LoadImageA(nullptr, name, IMAGE_ICON, size, size, LR_LOADFROMFILE));
        const panel_test::IconMismatch m = panel_test::CompareWithDrawIconEx(
            [dc](int px, int py) { return GetPixel(dc, px, py); }, under, x, 4, icon, size, name);
        EXPECT_EQ(m.pixels, 0) << m.first;
        x += size + 3;
      }
  };
  {
    SCOPED_TRACE("DIB section");
    testing_support::Dib32 dib(kWidth, kHeight);
    drawAll(dib.dc());
  }
  SCOPED_TRACE("compatible bitmap");
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  HGDIOBJ old = SelectObject(dc, bitmap);
  drawAll(dc);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace

namespace {

// An icon file is looked for in the current directory of each paint, and a file that was
// missing at one paint is drawn once it is there.
TEST(IconDrawing, FilesAreLookedForInTheCurrentDirectory) {
  panel_test::RecordingPanel panel;
  testing_support::TempDir red, green;
  ASSERT_TRUE(panel_test::WriteSolidIcon(red.File("x.ico"), 16, kRed));
  ASSERT_TRUE(panel_test::WriteSolidIcon(green.File("x.ico"), 16, kGreen));
  testing_support::Dib32 dib(60, 20);
  auto drawnAt = [&](int x, const char* name) {
    const RECT all{x, 0, x + 20, 20};
    FillRect(dib.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    panel.DRAWICON(dib.dc(), x, 0, 16, 16, name);
    GdiFlush();
    return GetPixel(dib.dc(), x + 8, 8);
  };
  {
    const testing_support::ScopedCurrentDir in(red.path());
    EXPECT_EQ(drawnAt(0, "x.ico"), kRed);
    EXPECT_EQ(drawnAt(20, "late.ico"), 0u);  // not there: nothing drawn
    ASSERT_TRUE(panel_test::WriteSolidIcon(red.File("late.ico"), 16, kGreen));
    EXPECT_EQ(drawnAt(20, "late.ico"), kGreen);
  }
  const testing_support::ScopedCurrentDir in(green.path());
  EXPECT_EQ(drawnAt(40, "x.ico"), kGreen);
}

TEST(IconDrawing, NamesAndModules) {
  EXPECT_EQ(QFTASKPANELCLASS::GETICONNAME("MENU_Comprobantes.ico"), "MENU_Comprobantes_ico");
  EXPECT_EQ(QFTASKPANELCLASS::GETICONNAME("a.b.c"), "a_b_c");
  EXPECT_EQ(QFTASKPANELCLASS::GETICONNAME("~x"), "~x");

  panel_test::LoadGradientFunctionOnce();
  panel_test::RecordingPanel panel;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 30, 30);
  HGDIOBJ old = SelectObject(dc, bitmap);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self = std::string(path).substr(std::string(path).find_last_of("\\/") + 1);
  // The program's own module by name, a name that no loaded module has (the program's own
  // resources then), and a module that has no such icon (nothing drawn).
  const struct {
    std::string appName;
    bool drawn;
  } cases[] = {{"", true}, {self, true}, {"Brivane.EXE", true}, {"kernel32.dll", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.appName);
    panel.SETAPPNAME(c.appName);
    const RECT all{0, 0, 30, 30};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    panel.DRAWICON(dc, 0, 0, 24, 24, "taskxpc.ico");
    EXPECT_EQ(GetPixel(dc, 2, 8) == 0x00D0632Du, c.drawn);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace
