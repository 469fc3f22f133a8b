// The panel's content and configuration, without a window: ids, defaults, text rules,
// colours, margins, fonts, the wizard mark, ids that name nothing, and the loader.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "panel_fixture.h"
#include "taskpanel/id_source.h"

namespace {

using panel_test::RecordingPanel;

// Draws that a test chooses: the panel takes them in order.
struct ScriptedIds {
  static inline std::vector<int32_t> values;
  static inline std::size_t next = 0;
  static inline std::vector<std::pair<int32_t, int32_t>> ranges;
  static int32_t Draw(int32_t low, int32_t high) {
    ranges.emplace_back(low, high);
    return values.at(next++);
  }
};

class ScopedIds {
 public:
  explicit ScopedIds(std::vector<int32_t> draws) {
    ScriptedIds::values = std::move(draws);
    ScriptedIds::next = 0;
    ScriptedIds::ranges.clear();
    previous_ = taskpanel::ReplaceIdSource(&ScriptedIds::Draw);
  }
  ~ScopedIds() { taskpanel::ReplaceIdSource(previous_); }
  std::size_t draws() const { return ScriptedIds::next; }

 private:
  taskpanel::IdSource previous_;
};

class Model : public ::testing::Test {
 protected:
  void SetUp() override { panel_test::LoadGradientFunctionOnce(); }
  RecordingPanel panel;

  const QTP_HEADERITEM& Header(std::size_t position) { return panel.HEADERS->At(position); }
  const QTP_TASKITEM& Task(int32_t header, std::size_t position) {
    EXPECT_TRUE(panel.GETHDR(header));
    return panel.HEADERS->buffer.TASKQUEUE->At(position);
  }
  std::size_t TaskCount(int32_t header) {
    EXPECT_TRUE(panel.GETHDR(header));
    return panel.HEADERS->buffer.TASKQUEUE->Records();
  }
};

TEST_F(Model, ConstructionSetsTheDefaults) {
  EXPECT_EQ(panel.FONTNAME, "Tahoma");
  EXPECT_EQ(panel.INITED, 0);
  EXPECT_EQ(panel.NCURRHEADER, 0);
  ASSERT_NE(panel.HEADERS, nullptr);
  EXPECT_EQ(panel.HEADERS->Records(), 0u);
  EXPECT_EQ(panel.NOGRADIENT, panel_test::HaveGradients() ? 0 : 1);
  EXPECT_EQ(panel.NTOPMARGIN, 20);
  EXPECT_EQ(panel.NLEFTMARGIN, 10);
  EXPECT_EQ(panel.NRIGHTMARGIN, 10);
  EXPECT_EQ(panel.NBOTTOMMARGIN, 20);
  EXPECT_EQ(panel.TOOLTIPMODE, 1);
  EXPECT_EQ(panel.TOOLTIPMAXWIDTH, 300);
  EXPECT_EQ(panel.WIZARDMODE, 0);
  EXPECT_EQ(panel.WORDWRAP, 1);
  EXPECT_EQ(panel.ISNT, 0);  // Wine reports a later system than 4.0
  const QTP_COLORSCHEMA& c = panel.COLORSCHEMA;
  const std::vector<std::pair<const QTP_COLORGROUP*, std::vector<uint32_t>>> expected = {
      {&c.PANEL, {0x00E6A07A, 0x00E6A07A, 0x00D67563, 0, 0, 0}},
      {&c.HEADERS, {0x00B24D07, 0x00B24D07, 0x00C75C22, 0x00FFFFFF, 0x00FF8E42, 0}},
      {&c.HEADERS2, {0x00FFFFFF, 0x00FFFFFF, 0x00F9D5C7, 0x00C75C22, 0x00FF8E42, 0}},
      {&c.TASKS, {0x00F9E7E0, 0, 0, 0x00BC3139, 0, 0x00BC3139}},
  };
  for (const auto& [group, colours] : expected) {
    const std::vector<uint32_t> actual = {group->BACKGROUND, group->GRADIENTFROM, group->GRADIENTTO,
                                          group->TEXT,       group->HOVERED,      group->DISABLED};
    EXPECT_EQ(actual, colours);
  }
  // No font exists before SETFONT.
  EXPECT_EQ(panel.HHEADERFONT, nullptr);
  for (auto& row : panel.HTASKFONT)
    for (HFONT f : row) EXPECT_EQ(f, nullptr);
}

TEST_F(Model, FirstIdIsTheFirstDrawAndACollisionDrawsAgain) {
  ScopedIds ids({5, 5, 9, 77, 77, 78, 41});
  EXPECT_EQ(panel.ADDHEADER("A", 0), 5);  // the empty panel takes the first draw
  EXPECT_EQ(ids.draws(), 1u);
  EXPECT_EQ(panel.ADDHEADER("B", 0), 9);  // 5 is taken: drawn again
  EXPECT_EQ(ids.draws(), 3u);
  EXPECT_EQ(panel.ADDTASK(9, "t1", 1), 77);  // task ids are drawn within the header's list
  EXPECT_EQ(panel.ADDTASK(9, "t2", 1), 78);
  EXPECT_EQ(ids.draws(), 6u);
  EXPECT_EQ(panel.ADDTASK(5, "t3", 1), 41);
  for (const auto& range : ScriptedIds::ranges) EXPECT_EQ(range, std::make_pair(1, 2147483647));
}

TEST_F(Model, RealIdsArePositiveAndUnique) {
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) {
    const int32_t id = panel.ADDHEADER("h", 0);
    EXPECT_GT(id, 0);
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST_F(Model, AddHeaderDefaultsAndArguments) {
  const int32_t a = panel.ADDHEADER("Only title", 1);
  const int32_t b = panel.ADDHEADER("All", 0, 0, "~MENU_Salir.ico", 16);
  EXPECT_EQ(panel.NCURRHEADER, b);
  struct Case {
    std::size_t position;
    int32_t id;
    uint8_t expanded, style, iconSizes;
    const char* icon;
  } cases[] = {{1, a, 1, 1, 24, ""}, {2, b, 0, 0, 16, "~MENU_Salir.ico"}};
  for (const Case& c : cases) {
    const QTP_HEADERITEM& h = Header(c.position);
    EXPECT_EQ(h.ID, c.id);
    EXPECT_EQ(h.ISEXPANDED, c.expanded);
    EXPECT_EQ(h.STYLE, c.style);
    EXPECT_EQ(h.ICONSIZES, c.iconSizes);
    EXPECT_EQ(h.ICONNAME, c.icon);  // a header's icon keeps its "~"
    EXPECT_EQ(h.ISVISIBLE, 1);
    EXPECT_EQ(h.WORDWRAP, 1);
    EXPECT_EQ(h.ISHOVERED + h.DONTWIZARD + h.ISALWAYSEXPANDED + h.ISBOXED, 0);
    ASSERT_NE(h.TASKQUEUE, nullptr);
    EXPECT_EQ(h.TASKQUEUE->Records(), 0u);
  }
}

TEST_F(Model, TaskIconNamesLoseOneLeadingTilde) {
  const int32_t h = panel.ADDHEADER("H", 0);
  const struct {
    const char* given;
    const char* stored;
  } cases[] = {{"~a.ico", "a.ico"}, {"~~a.ico", "~a.ico"}, {"~", ""}, {"a~.ico", "a~.ico"}, {"", ""}, {"b.ico", "b.ico"}};
  std::size_t n = 0;
  for (const auto& c : cases) {
    panel.ADDTASK(h, "t", 1, 0, c.given);
    EXPECT_EQ(Task(h, ++n).ICONNAME, c.stored) << c.given;
  }
}

TEST_F(Model, TaskTitlesLoseTrailingBlanksHeaderTitlesKeepThem) {
  const int32_t h = panel.ADDHEADER("Pagos   ", 0);
  panel.ADDTASK(h, "Pagos   ", 1);
  panel.ADDTASK(h, "  Cobros", 1);
  EXPECT_EQ(Header(1).TITLE, "Pagos   ");
  EXPECT_EQ(Task(h, 1).TITLE, "Pagos");
  EXPECT_EQ(Task(h, 2).TITLE, "  Cobros");
  EXPECT_EQ(panel.GETTASKTITLE(h, Task(h, 1).ID), "Pagos");
}

TEST_F(Model, AddTaskFieldsAndMimicIconFlag) {
  const int32_t h = panel.ADDHEADER("H", 0);
  const struct {
    uint8_t dontMimicIcon;
    uint8_t mimicIcon;
  } cases[] = {{0, 1}, {1, 0}, {2, 1}, {255, 1}};
  std::size_t n = 0;
  for (const auto& c : cases) {
    const int32_t id = panel.ADDTASK(h, "T", 33, 0, "i.ico", c.dontMimicIcon, 4242);
    const QTP_TASKITEM& t = Task(h, ++n);
    EXPECT_EQ(t.ID, id);
    EXPECT_EQ(t.MIMICICON, c.mimicIcon) << int(c.dontMimicIcon);
    EXPECT_EQ(t.MIMICTEXT, 1);
    EXPECT_EQ(t.LEFTACTIONFEQ, 33);
    EXPECT_EQ(t.USERDATA, 4242u);
    EXPECT_EQ(t.ISVISIBLE, 1);
    EXPECT_EQ(t.JUSTIFICATION + t.ISDISABLED + t.ISBOLD + t.ISHOVERED + t.MIMICBUTTON, 0);
    EXPECT_TRUE(t.TOOLTIP.empty());
  }
}

TEST_F(Model, ShortAddTaskGoesToTheLastHeaderAndBlankTooltipsSetNothing) {
  const int32_t first = panel.ADDHEADER("First", 0);
  const int32_t last = panel.ADDHEADER("Last", 0);
  const int32_t id = panel.ADDTASK("Task", 5, 0, "", 0, "     ");
  EXPECT_NE(id, 0);
  EXPECT_EQ(TaskCount(first), 0u);
  ASSERT_EQ(TaskCount(last), 1u);
  EXPECT_EQ(Task(last, 1).ID, id);
  EXPECT_TRUE(Task(last, 1).TOOLTIP.empty());
}

TEST_F(Model, AddTaskToAHeaderThatDoesNotExistIsRejected) {
  // Before any header: the short form has no header to add to.
  EXPECT_EQ(panel.ADDTASK("Orphan", 1, 0, "", 0, ""), 0);
  const int32_t h = panel.ADDHEADER("H", 0);
  panel.ADDTASK(h, "kept", 1);
  EXPECT_EQ(panel.ADDTASK(h + 1, "nowhere", 1), 0);
  EXPECT_EQ(panel.ADDTASK(0, "nowhere", 1), 0);
  EXPECT_EQ(TaskCount(h), 1u);
  EXPECT_EQ(Task(h, 1).TITLE, "kept");
}

TEST_F(Model, OverLongTextsAreCutToTheirCapacities) {
  const std::string longText(600, 'x');
  const int32_t h = panel.ADDHEADER(longText, 0, 1, longText);
  panel.ADDTASK(h, longText + "   ", 1, 0, "~" + longText);
  panel.SETAPPNAME(longText + "  ");
  panel.SETFONT(longText);
  EXPECT_EQ(Header(1).TITLE.size(), QTP_TITLE_CAPACITY);
  EXPECT_EQ(Header(1).ICONNAME.size(), QTP_ICONNAME_CAPACITY);
  EXPECT_EQ(Task(h, 1).TITLE, std::string(QTP_TITLE_CAPACITY, 'x'));
  EXPECT_EQ(Task(h, 1).ICONNAME, std::string(QTP_ICONNAME_CAPACITY, 'x'));
  EXPECT_EQ(panel.APPNAME.size(), QTP_APPNAME_CAPACITY);
  EXPECT_EQ(panel.FONTNAME.size(), QTP_FONTNAME_CAPACITY);
  EXPECT_EQ(QTP_TITLE_CAPACITY, 254u);
  EXPECT_EQ(QTP_APPNAME_CAPACITY, 255u);
}

TEST_F(Model, AppNameLosesTrailingBlanks) {
  panel.SETAPPNAME("Brivane.exe   ");
  EXPECT_EQ(panel.APPNAME, "Brivane.exe");
}

TEST_F(Model, SetColorGroupPerGroupNumber) {
  const QTP_COLORSCHEMA before = panel.COLORSCHEMA;
  auto groupOf = [](const QTP_COLORSCHEMA& s, int n) -> const QTP_COLORGROUP& {
    return n == 1 ? s.PANEL : n == 2 ? s.HEADERS : n == 3 ? s.HEADERS2 : s.TASKS;
  };
  struct Case {
    int32_t group;
    std::optional<uint32_t> disabled;
    std::vector<uint32_t> expected;  // BACKGROUND..DISABLED of the group after the call
  } cases[] = {
      // The panel has no texts: TEXT, HOVERED and DISABLED stay as they were (0).
      {1, 0x66, {0x11, 0x22, 0x33, 0, 0, 0}},
      {2, 0x66, {0x11, 0x22, 0x33, 0x44, 0x55, 0}},
      {3, std::nullopt, {0x11, 0x22, 0x33, 0x44, 0x55, 0}},
      {4, std::nullopt, {0x11, 0x22, 0x33, 0x44, 0x55, 0x44}},  // omitted: the new text colour
      {4, 0u, {0x11, 0x22, 0x33, 0x44, 0x55, 0}},                // 0: black
      {4, 0x66, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}},
  };
  for (const Case& c : cases) {
    RecordingPanel p;
    p.SETCOLORGRP(c.group, 0x11, 0x22, 0x33, 0x44, 0x55, c.disabled);
    const QTP_COLORGROUP& g = groupOf(p.COLORSCHEMA, c.group);
    const std::vector<uint32_t> actual = {g.BACKGROUND, g.GRADIENTFROM, g.GRADIENTTO, g.TEXT, g.HOVERED, g.DISABLED};
    const std::vector<uint32_t> expected = c.group == 1
        ? std::vector<uint32_t>{0x11, 0x22, 0x33, before.PANEL.TEXT, before.PANEL.HOVERED, before.PANEL.DISABLED}
        : c.expected;
    EXPECT_EQ(actual, expected) << "group " << c.group;
    for (int other = 1; other <= 4; ++other) {
      if (other == c.group) continue;
      EXPECT_EQ(groupOf(p.COLORSCHEMA, other).BACKGROUND, groupOf(before, other).BACKGROUND);
    }
  }
  for (int32_t nothing : {0, 5, -1, 100}) {
    RecordingPanel p;
    p.SETCOLORGRP(nothing, 1, 2, 3, 4, 5, 6);
    for (int n = 1; n <= 4; ++n) {
      const QTP_COLORGROUP& g = groupOf(p.COLORSCHEMA, n);
      const QTP_COLORGROUP& b = groupOf(before, n);
      EXPECT_EQ(std::vector<uint32_t>({g.BACKGROUND, g.GRADIENTFROM, g.GRADIENTTO, g.TEXT, g.HOVERED, g.DISABLED}),
                std::vector<uint32_t>({b.BACKGROUND, b.GRADIENTFROM, b.GRADIENTTO, b.TEXT, b.HOVERED, b.DISABLED}))
          << "group number " << nothing;
    }
  }
}

TEST_F(Model, SystemColoursAreResolvedWhenSet) {
  const struct {
    uint32_t in, out;
  } cases[] = {
      {0x8000000F, GetSysColor(15)}, {0x10000005, GetSysColor(5)},   {0x00FFFFFF, 0x00FFFFFF},
      {0x0FFFFFFF, 0x0FFFFFFF},      {0xF0000108, GetSysColor(8)},   {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(panel.FIXCOLOR(c.in), c.out) << std::hex << c.in;
  panel.SETCOLORGRP(4, 0x80000005, 0, 0, 0x80000012, 0, 0x80000011);
  EXPECT_EQ(panel.COLORSCHEMA.TASKS.BACKGROUND, GetSysColor(5));
  EXPECT_EQ(panel.COLORSCHEMA.TASKS.TEXT, GetSysColor(0x12));
  EXPECT_EQ(panel.COLORSCHEMA.TASKS.DISABLED, GetSysColor(0x11));
}

TEST_F(Model, SetMargins) {
  const struct {
    int32_t left, top;
    std::optional<int32_t> right, bottom;
    int32_t l, t, r, b;
  } cases[] = {
      {7, 3, std::nullopt, std::nullopt, 7, 3, 7, 20},
      {7, 3, 4, std::nullopt, 7, 3, 4, 20},
      {7, 3, 4, 9, 7, 3, 4, 9},
      {0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    RecordingPanel p;
    p.SETMARGINS(c.left, c.top, c.right, c.bottom);
    EXPECT_EQ(std::vector<int32_t>({p.NLEFTMARGIN, p.NTOPMARGIN, p.NRIGHTMARGIN, p.NBOTTOMMARGIN}),
              std::vector<int32_t>({c.l, c.t, c.r, c.b}));
  }
}

TEST_F(Model, SetExpanded) {
  const int32_t a = panel.ADDHEADER("A", 0, 0);
  const int32_t b = panel.ADDHEADER("B", 0, 1);
  panel.SETEXPANDED(a);  // flag omitted: opens
  EXPECT_EQ(Header(1).ISEXPANDED, 1);
  panel.SETEXPANDED(b, 0);
  EXPECT_EQ(Header(2).ISEXPANDED, 0);
  panel.SETEXPANDED(a + b + 1, 0);  // names nothing
  EXPECT_EQ(Header(1).ISEXPANDED, 1);
  EXPECT_EQ(Header(2).ISEXPANDED, 0);
}

TEST_F(Model, WizardMarkMoves) {
  const int32_t h = panel.ADDHEADER("H", 0);
  const int32_t a = panel.ADDTASK(h, "A", 1);
  const int32_t b = panel.ADDTASK(h, "B", 2);
  auto bold = [&] { return std::vector<int>({Task(h, 1).ISBOLD, Task(h, 2).ISBOLD}); };

  panel.SETACTIVEWIZARDTASK(h, a);
  EXPECT_EQ(bold(), std::vector<int>({1, 0}));
  panel.SETACTIVEWIZARDTASK(h, b);
  EXPECT_EQ(bold(), std::vector<int>({0, 1}));
  panel.SETACTIVEWIZARDTASK(h, a);
  panel.SETACTIVEWIZARDTASK(h, a);
  EXPECT_EQ(bold(), std::vector<int>({1, 0}));
  panel.SETACTIVEWIZARDTASK(h, a + b + 7);  // names no task: the old mark goes, the ids stay
  EXPECT_EQ(bold(), std::vector<int>({0, 0}));
  EXPECT_EQ(panel.WIZARDLASTHEADERID, h);
  EXPECT_EQ(panel.WIZARDLASTTASKID, a);
  panel.SETACTIVEWIZARDTASK(h + 1, b);  // names no header
  EXPECT_EQ(bold(), std::vector<int>({0, 0}));
}

TEST_F(Model, SetTaskFontWeightWithoutIdsActsOnTheCurrentEntry) {
  const int32_t h1 = panel.ADDHEADER("H1", 0);
  const int32_t a = panel.ADDTASK(h1, "A", 1);
  panel.ADDTASK(h1, "B", 1);
  const int32_t h2 = panel.ADDHEADER("H2", 0);
  panel.ADDTASK(h2, "C", 1);

  // The last search made H1's task A current.
  ASSERT_TRUE(panel.GETHDR(h1));
  ASSERT_TRUE(panel.GETTSK(a));
  panel.ADDHEADER("H3", 0);  // an added header becomes current; it has no tasks
  panel.SETTASKFONTWEIGHT(std::nullopt, std::nullopt, 1);
  EXPECT_EQ(Task(h1, 1).ISBOLD, 0);  // the current header H3 has no current task

  ASSERT_TRUE(panel.GETHDR(h1));
  ASSERT_TRUE(panel.GETTSK(a));
  panel.SETTASKFONTWEIGHT(std::nullopt, std::nullopt, 1);
  EXPECT_EQ(Task(h1, 1).ISBOLD, 1);
  panel.SETTASKFONTWEIGHT(h2, std::nullopt, 0);  // one id omitted: still the current task
  EXPECT_EQ(Task(h1, 1).ISBOLD, 0);

  // With both ids, the named task; an id that names nothing changes nothing.
  const int32_t c = Task(h2, 1).ID;
  panel.SETTASKFONTWEIGHT(h2, c, 1);
  EXPECT_EQ(Task(h2, 1).ISBOLD, 1);
  panel.SETTASKFONTWEIGHT(h2, c + 1, 0);
  panel.SETTASKFONTWEIGHT(h2 + h1, c, 0);
  EXPECT_EQ(Task(h2, 1).ISBOLD, 1);
  // Only 0 and 1 are stored: the flag picks one of two fonts.
  panel.SETTASKFONTWEIGHT(h2, c, 7);
  EXPECT_EQ(Task(h2, 1).ISBOLD, 1);
}

TEST_F(Model, IdsThatNameNothingReturnQuietly) {
  EXPECT_EQ(panel.GETTASKTITLE(1, 1), "");
  EXPECT_EQ(panel.GETHDR(1), 0);
  EXPECT_EQ(panel.GETTSK(1), 0);
  panel.SETEXPANDED(1);
  panel.SETTASKFONTWEIGHT(1, 2, 1);
  panel.SETTASKFONTWEIGHT(std::nullopt, std::nullopt, 1);
  panel.SETACTIVEWIZARDTASK(1, 2);
  const int32_t h = panel.ADDHEADER("H", 0);
  const int32_t t = panel.ADDTASK(h, "T", 1);
  EXPECT_EQ(panel.GETTASKTITLE(h, t + 1), "");
  EXPECT_EQ(panel.GETTASKTITLE(h + 1, t), "");
  EXPECT_EQ(panel.GETTASKTITLE(h, t), "T");
}

TEST_F(Model, SetFontMakesFiveFontsAndDeletesThePreviousOnes) {
  panel.SETFONT("Tahoma");
  HFONT first[5] = {panel.HTASKFONT[0][0], panel.HTASKFONT[0][1], panel.HTASKFONT[1][0], panel.HTASKFONT[1][1],
                    panel.HHEADERFONT};
  const struct {
    int weight;
    bool underline;
  } expected[5] = {{100, false}, {100, true}, {700, false}, {700, true}, {700, false}};
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(first[i], nullptr);
    LOGFONTA lf{};
    ASSERT_EQ(GetObjectA(first[i], sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, 13);
    EXPECT_EQ(lf.lfWeight, expected[i].weight);
    EXPECT_EQ(lf.lfUnderline != 0, expected[i].underline);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
  }
  panel.SETFONT("MS Sans Serif");
  for (HFONT old : first) EXPECT_EQ(GetObjectType(old), 0u) << "a font of the first call is still alive";
  LOGFONTA lf{};
  GetObjectA(panel.HHEADERFONT, sizeof lf, &lf);
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
  HFONT second = panel.HTASKFONT[1][1];
  panel.DESTROYFONTS();
  EXPECT_EQ(GetObjectType(second), 0u);
  EXPECT_EQ(panel.HHEADERFONT, nullptr);
  EXPECT_EQ(panel.HTASKFONT[1][1], nullptr);
}

TEST_F(Model, DestructWithoutInitStillCallsKill) {
  auto p = std::make_unique<RecordingPanel>();
  p->SETFONT("Tahoma");
  HFONT font = p->HHEADERFONT;
  p->ADDHEADER("H", 0);
  p->DESTRUCT();
  EXPECT_EQ(p->kills, 1);
  EXPECT_EQ(p->HEADERS, nullptr);
  EXPECT_EQ(GetObjectType(font), 0u);  // KILL's DESTROYFONTS ran
  p.reset();                            // the destructor does not run it again
}

// The gradient loader: process-wide, idempotent; restores its state for the other tests.
TEST(Loader, SecondConstructChangesNothingAndDestructClears) {
  panel_test::LoadGradientFunctionOnce();
  const HMODULE lib = LPMSIMGLIB;
  const QTP_GRADIENTFILL fill = QTP_GradientFill;
  QTPLINKERLOADER.CONSTRUCT();
  EXPECT_EQ(LPMSIMGLIB, lib);
  EXPECT_EQ(QTP_GradientFill, fill);

  QTPLINKERLOADER.DESTRUCT();
  EXPECT_EQ(LPMSIMGLIB, nullptr);
  EXPECT_EQ(QTP_GradientFill, nullptr);
  {
    RecordingPanel p;
    EXPECT_EQ(p.NOGRADIENT, 1);
  }
  QTPLINKERLOADER.DESTRUCT();  // nothing loaded: nothing freed, stays 0
  EXPECT_EQ(LPMSIMGLIB, nullptr);

  QTPLINKERLOADER.CONSTRUCT();
  EXPECT_EQ(LPMSIMGLIB != nullptr, lib != nullptr);
  EXPECT_EQ(QTP_GradientFill != nullptr, fill != nullptr);
  if (lib) {
    // With the library the process would use it: the address is that of GradientFill.
    EXPECT_EQ(reinterpret_cast<void*>(QTP_GradientFill),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msimg32.dll"), "GradientFill")));
  }
}

}  // namespace

namespace {
// The second run of this binary disables the gradient library: make sure it really is off
// there (and on in the first run, where Wine has the library).
TEST(Loader, GradientFunctionMatchesTheRun) {
  char overrides[512] = {};
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  const bool disabled = std::string(overrides).find("msimg32=d") != std::string::npos;
  EXPECT_EQ(panel_test::HaveGradients(), !disabled) << "WINEDLLOVERRIDES=" << overrides;
}
}  // namespace
