// No GDI leak: a full panel painted tens of thousands of times in one process, after which
// new pens, brushes, bitmaps and device contexts can still be made, the panel's own fonts
// are free to be deleted (nothing left them selected), and the panel still paints right.
#include <gtest/gtest.h>

#include <vector>

#include "panel_fixture.h"

namespace {

using panel_test::PanelFixture;

class GdiStress : public PanelFixture {
 protected:
  SIZE InitialSize() const override { return {220, 300}; }  // lower than the content: it scrolls
};

TEST_F(GdiStress, ManyPaintsLeaveEveryObjectFree) {
  panel->SETFONT("Tahoma");
  // Like the program's panel: four groups, eight tasks with icons, group icons, both styles.
  const char* groups[] = {"Recientes", "Comprobantes", "Informes", "Salir"};
  std::vector<int32_t> ids;
  for (int g = 0; g < 4; ++g) {
    const int32_t h = panel->ADDHEADER(groups[g], g == 0 ? 1 : 0, 1, g == 0 ? "" : "taskxpcw.ico", 16);
    ids.push_back(h);
    for (int t = 0; t < 2; ++t) panel->ADDTASK(h, std::string("Tarea con un titulo largo ") + char('A' + t), 10 + t, 0,
                                               t == 0 ? "taskxpc.ico" : "taskxpesw.ico");
  }
  Init();
  ASSERT_TRUE(VerticalBarShown());

  // Mostly the paint itself, as WM_SIZE runs it; every hundredth through WM_PAINT, whose
  // non-client part (the system drawing the scroll bar) costs more than the panel's paint.
  constexpr int kPaints = 20000;
  for (int i = 0; i < kPaints; ++i) {
    if (i % 1000 == 0) panel->SCROLLPOS = (i / 1000 % 7) * 10;
    if (i % 500 == 0) panel->SETEXPANDED(ids[1], static_cast<uint8_t>((i / 500) % 2));
    if (i % 100 == 0) {
      Paint();
    } else {
      panel->REFRESH();
      panel->TAKEPAINTEVENT();
    }
  }
  panel->SETEXPANDED(ids[1], 1);

  // New objects of every kind are still there to be had.
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  std::vector<HGDIOBJ> objects;
  std::vector<HDC> dcs;
  for (int i = 0; i < 500; ++i) {
    objects.push_back(CreatePen(PS_SOLID, 1, RGB(i % 256, 0, 0)));
    objects.push_back(CreateSolidBrush(RGB(0, i % 256, 0)));
    objects.push_back(CreateCompatibleBitmap(screen, 64, 64));
    dcs.push_back(CreateCompatibleDC(screen));
  }
  for (HGDIOBJ o : objects) EXPECT_NE(o, nullptr);
  for (HDC dc : dcs) EXPECT_NE(dc, nullptr);
  for (HGDIOBJ o : objects) DeleteObject(o);
  for (HDC dc : dcs) DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  // The panel still paints correctly: background, a bar and a white box edge where they belong.
  panel->SCROLLPOS = 0;
  Paint();
  const testing_support::Capture shot = Snapshot();
  ASSERT_TRUE(panel->GETHDR(ids[1]));
  const QTP_RECT bar = panel->HEADERS->buffer.MOUSERECT;
  const QTP_RECT row = panel->HEADERS->buffer.TASKQUEUE->At(1).MOUSERECT;
  const COLORREF background = shot.At(2, bar.TOP + 10);
  if (!panel_test::HaveGradients()) {
    EXPECT_EQ(background, panel->COLORSCHEMA.PANEL.BACKGROUND);
  }
  EXPECT_NE(shot.At(bar.LEFT + 40, bar.TOP + 10), background);
  EXPECT_EQ(shot.At(row.LEFT, row.TOP), 0x00FFFFFFu);
  EXPECT_EQ(shot.At(row.LEFT + 1, row.TOP), panel->COLORSCHEMA.TASKS.BACKGROUND);
  EXPECT_NE(shot.At(row.LEFT + 5 + 5, row.TOP + 1 + 5), panel->COLORSCHEMA.TASKS.BACKGROUND)
      << "the task icon is drawn at its place";
}

// The icons are the panel's: loaded at their first use, the same ones drawn at every later
// paint, and destroyed when the panel ends.
TEST_F(GdiStress, IconsAreLoadedOnceAndDestroyedByKill) {
  panel->SETFONT("Tahoma");
  const int32_t h = panel->ADDHEADER("Header", 0, 1, "taskxpcw.ico", 16);
  panel->ADDTASK(h, "Task", 1, 0, "taskxpc.ico");
  panel->ADDTASK(h, "Same icon", 2, 0, "taskxpc.ico");
  Init();
  const std::vector<HICON> first = panel->LoadedIcons().Loaded();
  EXPECT_EQ(first.size(), 3u);  // the group icon at 32, the task icon at 16, the button at 24
  for (int i = 0; i < 20; ++i) Paint();
  EXPECT_EQ(panel->LoadedIcons().Loaded(), first);
  ICONINFO info{};
  for (HICON icon : first) {
    ASSERT_TRUE(GetIconInfo(icon, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  panel->DESTRUCT();
  EXPECT_TRUE(panel->LoadedIcons().Loaded().empty());
  for (HICON icon : first) EXPECT_FALSE(GetIconInfo(icon, &info));
}

// Every drawing step that gets a device context from its caller hands it back with the
// pen, brush, font, bitmap and background mode it had.
TEST_F(GdiStress, DrawingRestoresEverySelection) {
  panel->SETFONT("Tahoma");
  const int32_t h = panel->ADDHEADER("Header", 0, 1, "taskxpcw.ico");
  panel->ADDTASK(h, "Task with icon", 1, 0, "taskxpc.ico");
  Init();
  ASSERT_TRUE(panel->GETHDR(h));
  ASSERT_TRUE(panel->GETTSK(panel->HEADERS->buffer.TASKQUEUE->At(1).ID));

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 220, 200);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = CreateFontA(20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ old[] = {SelectObject(dc, bitmap), SelectObject(dc, pen), SelectObject(dc, brush), SelectObject(dc, font)};
  SetBkMode(dc, OPAQUE);
  auto unchanged = [&](const char* step) {
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << step;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen) << step;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush) << step;
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << step;
    EXPECT_EQ(GetBkMode(dc), OPAQUE) << step;
  };
  panel->DRAWLINE(dc, 0, 0, 50, 50, 0x00FFFFFF);
  unchanged("DRAWLINE");
  panel->DRAWRECT(dc, 0, 0, 50, 50, 0x00FF00FF);
  unchanged("DRAWRECT");
  panel->DRAWHEADER(dc, QTP_RECT{10, 20, 210, 50});
  unchanged("DRAWHEADER");
  panel->DRAWTASK(dc, QTP_RECT{10, 20, 210, 50}, 50, 25);
  unchanged("DRAWTASK");
  panel->DRAWICON(dc, 0, 0, 24, 24, "taskxpe_ico");
  unchanged("DRAWICON");
  panel->CALCULATEPANELHEIGHT(dc, QTP_RECT{0, 0, 220, 200});
  unchanged("CALCULATEPANELHEIGHT");

  for (HGDIOBJ o : old) SelectObject(dc, o);
  DeleteObject(font);
  DeleteObject(brush);
  DeleteObject(pen);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace
