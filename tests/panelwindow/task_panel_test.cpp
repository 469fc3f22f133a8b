// The task-panel window's panel object in this process: what TASKPANEL.INIT puts into the
// panel, how it re-binds a stored recent-item file, and what each kind of click does. The
// panel is hosted in a real window with a real control 1; dialogs and popups that a click
// opens are answered from another thread, as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "app/globals.h"
#include "app/layouts.h"
#include "input_support.h"
#include "panel_fixture.h"
#include "panelwindow/main_taskpanel.h"
#include "panelwindow/task_panel.h"
#include "runtime/events.h"
#include "runtime/threads.h"
#include "runtime/window.h"
#include "test_support.h"

namespace {

using namespace testing_support;

constexpr char kSection[] = "RECIENTES.";

// From another thread: picks item `pick` of every popup menu this process shows (0
// dismisses it) and closes every "Caption" dialog, noting its text and, at that moment,
// the title in slot 1 of `file`. A click returns only after the popup and the dialog it
// opened have closed, so what it showed is known when it returns.
class Answerer {
 public:
  Answerer(std::string file, int pick) : file_(std::move(file)), pick_(pick), thread_([this] { Run(); }) {}
  ~Answerer() {
    stop_ = true;
    thread_.join();
  }
  struct Dialog {
    std::string text, slot1;
  };
  std::vector<Dialog> dialogs() {
    std::lock_guard lock(mutex_);
    return dialogs_;
  }
  int popups() const { return popups_; }

 private:
  void Run() {
    std::vector<::HWND> handled;
    while (!stop_) {
      for (::HWND h : TopWindows(GetCurrentProcessId())) {
        if (std::find(handled.begin(), handled.end(), h) != handled.end()) continue;
        if (ClassOf(h) == "#32768") {
          handled.push_back(h);
          ++popups_;
          PickPopupItem(h, pick_);
        } else if (WindowText(h) == "Caption") {
          handled.push_back(h);
          {
            std::lock_guard lock(mutex_);
            dialogs_.push_back({WindowText(GetDlgItem(h, app::FEQ_LOC_TEXTO)), IniValue(file_, kSection, "Texto_1")});
          }
          CloseAsUser(h);
        }
      }
      Sleep(20);
    }
  }
  std::string file_;
  int pick_;
  std::atomic<bool> stop_{false};
  std::atomic<int> popups_{0};
  std::mutex mutex_;
  std::vector<Dialog> dialogs_;
  std::thread thread_;
};

// Threads 2 to 255 of the runtime, all started and waiting; those named get a window, made
// on the calling thread, as their current target. An event posted to any of them therefore
// lands in the calling thread's queue, in the order it was posted.
class NumberedThreads {
 public:
  explicit NumberedThreads(const std::set<int32_t>& withWindow) {
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int32_t n : withWindow)
      windows_[n] = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (int32_t n = 2; n <= rt::kMaxThreads; ++n) {
      if (rt::StartThread(Wait, 25000) != n) return;
      handles_.push_back(rt::OpenThreadHandle(n));
    }
    ready_ = WaitFor([this] {
      for (const auto& [n, window] : windows_)
        if (rt::ThreadWindow(n) != window) return false;
      return true;
    });
  }
  ~NumberedThreads() {
    SetEvent(release_);
    for (HANDLE h : handles_) {
      WaitForSingleObject(h, 30000);
      CloseHandle(h);
    }
    for (const auto& [n, window] : windows_) DestroyWindow(window);
    CloseHandle(release_);
  }
  bool ready() const { return ready_; }
  // The threads whose windows got the close-window event (1 for `thread1Window`), in the
  // order the events were posted; takes them out of the queue.
  std::vector<int32_t> CloseEventsInOrder(::HWND thread1Window) const {
    std::vector<int32_t> order;
    MSG m;
    // A close request for the calling thread is its close event; one for another thread
    // asks that thread to close all of its windows.
    while (PeekMessageA(&m, nullptr, rt::WM_RT_EVENT, rt::WM_RT_CLOSE_THREAD, PM_REMOVE)) {
      const bool closeEvent = m.message == rt::WM_RT_EVENT && m.wParam == static_cast<WPARAM>(rt::EVENT_CloseWindow) &&
                              m.lParam == 0;
      if (!closeEvent && m.message != rt::WM_RT_CLOSE_THREAD) continue;
      int32_t n = m.hwnd == thread1Window ? 1 : 0;
      for (const auto& [number, window] : windows_)
        if (window == m.hwnd) n = number;
      order.push_back(n);
    }
    return order;
  }

 private:
  static void Wait() {
    const int32_t n = rt::CurrentThread();
    if (windows_.count(n)) {
      rt::ScopedTarget target(windows_.at(n));
      WaitForSingleObject(release_, 60000);
    } else {
      WaitForSingleObject(release_, 60000);
    }
  }
  static inline HANDLE release_ = nullptr;
  static inline std::map<int32_t, ::HWND> windows_;
  std::vector<HANDLE> handles_;
  bool ready_ = false;
};

class TaskPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_test::LoadGradientFunctionOnce();
    main_ = app::MainModule("Brivane");
    main_.attachProcess();
    main_.attachThread();
    config_.name = "Brivane";
    config_.iniFile = dir_.File("Brivane.INI");
    config_.frameModule = "PanelTest$FRAME";
    config_.dialogModule = "PanelTest$DIALOG";
    config_.processUserName = &user_;
    app::SetProgram(config_);
    app::RegisterFrameLayouts(config_.frameModule, config_.dialogModule);
    app::GLOBALERRORS->INIT(app::ThisThread().GLOBALERRORSTATUS);
    app::INIMGR->INIT(config_.iniFile);
    host_ = std::make_unique<panel_test::PanelHost>(155, 369);
    target_ = std::make_unique<rt::ScopedTarget>(host_->host());
    panel = std::make_unique<panelwindow::TASKPANEL>(locals_);
  }
  void TearDown() override {
    panel->DESTRUCT();
    panel.reset();
    target_.reset();
    host_.reset();
    panel_test::PumpPending();
    app::INIMGR->KILL();
    main_.detachThread();
    main_.detachProcess();
  }

  std::string File() const { return dir_.File("RECIENTES.TaskPanel." + user_ + ".ini"); }
  std::string Key(const char* key, int n) const { return IniValue(File(), kSection, key + std::to_string(n)); }
  const QTP_HEADERITEM& Header(int32_t id) const {
    for (std::size_t i = 1; i <= panel->HEADERS->Records(); ++i)
      if (panel->HEADERS->At(i).ID == id) return panel->HEADERS->At(i);
    static const QTP_HEADERITEM none;
    return none;
  }
  // The close-window events posted to this thread's window (the host) since the last call.
  int CloseEventsPosted() {
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, host_->host(), rt::WM_RT_EVENT, rt::WM_RT_EVENT, PM_REMOVE))
      if (m.wParam == static_cast<WPARAM>(rt::EVENT_CloseWindow) && m.lParam == 0) ++n;
    return n;
  }

  TempDir dir_;
  ScopedCurrentDir cwd_{dir_.path()};
  std::string user_ = "zarozevi";
  app::ProgramConfig config_;
  rt::Module main_;
  std::unique_ptr<panel_test::PanelHost> host_;
  std::unique_ptr<rt::ScopedTarget> target_;
  panelwindow::PanelLocals locals_;
  std::unique_ptr<panelwindow::TASKPANEL> panel;
};

TEST_F(TaskPanelTest, InitFillsTheFourGroupsConfiguresThePanelAndTakesOverTheControl) {
  const int32_t* ids[] = {&panel->RECIENTES, &panel->COMPROBANTES, &panel->COMPROBANTES_FACTURACION,
                          &panel->COMPROBANTES_PAGOS, &panel->COMPROBANTES_OTROSPAGOS,
                          &panel->COMPROBANTES_IMPUTACIONES, &panel->INFORMES, &panel->INFORMES_SUBDIARIO_DE_IVA,
                          &panel->INFORMES_SALDOS, &panel->INFORMES_RESUMEN_CTA_CTE,
                          &panel->INFORMES_ASIENTOS_CONTABLES, &panel->SALIR};
  for (const int32_t* id : ids) EXPECT_EQ(*id, 0) << "no id before INIT";
  panel->INIT(1);

  struct Task {
    const int32_t* id;
    const char *title, *tooltip;
  };
  struct Group {
    const int32_t* id;
    const char* title;
    uint8_t style, expanded;
    const char* icon;
    std::vector<Task> tasks;
  } groups[] = {
      {&panel->RECIENTES, "Recientes", 0, 0, "", {}},
      {&panel->COMPROBANTES, "Comprobantes", 1, 1, "MENU_Comprobantes.ico",
       {{&panel->COMPROBANTES_FACTURACION, "Facturacion", "Registrar FAC/ND/NC"},
        {&panel->COMPROBANTES_PAGOS, "Pagos", "Registrar Ordenes de Pagos a Proveedores"},
        {&panel->COMPROBANTES_OTROSPAGOS, "Otros Pagos", "Registrar Otros Pagos (No son Compras)"},
        {&panel->COMPROBANTES_IMPUTACIONES, "Imputaciones", "Registrar Imputaciones de Comprobantes Cta Cte"}}},
      {&panel->INFORMES, "Informes", 0, 0, "Menu_Informes.ICO",
       {{&panel->INFORMES_SUBDIARIO_DE_IVA, "Subdiario de IVA", "Subdiario de IVA Compras"},
        {&panel->INFORMES_SALDOS, "Saldos", "Saldos de Proveedores"},
        {&panel->INFORMES_RESUMEN_CTA_CTE, "Resumen Cta Cte", "Resumen de Cuenta Corriente Proveedores"},
        {&panel->INFORMES_ASIENTOS_CONTABLES, "Asientos Contables", "Emitir Asientos Contables"}}},
      {&panel->SALIR, "Salir", 0, 0, "MENU_Salir.ico", {}},
  };
  ASSERT_EQ(panel->HEADERS->Records(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const Group& g = groups[i];
    const QTP_HEADERITEM& h = panel->HEADERS->At(i + 1);
    SCOPED_TRACE(g.title);
    EXPECT_EQ(h.ID, *g.id);
    EXPECT_GT(h.ID, 0);
    EXPECT_EQ(h.TITLE, g.title);
    EXPECT_EQ(h.STYLE, g.style);
    EXPECT_EQ(h.ISEXPANDED, g.expanded);
    EXPECT_EQ(h.ICONNAME, g.icon);
    EXPECT_EQ(h.ICONSIZES, 16);
    ASSERT_EQ(h.TASKQUEUE->Records(), g.tasks.size());
    for (std::size_t t = 0; t < g.tasks.size(); ++t) {
      const QTP_TASKITEM& task = h.TASKQUEUE->At(t + 1);
      EXPECT_EQ(task.ID, *g.tasks[t].id);
      EXPECT_GT(task.ID, 0);
      EXPECT_EQ(task.TITLE, g.tasks[t].title);
      EXPECT_EQ(task.TOOLTIP, g.tasks[t].tooltip);
      EXPECT_EQ(task.ICONNAME, g.icon);
      EXPECT_EQ(task.LEFTACTIONFEQ, 0);
      EXPECT_EQ(task.MIMICBUTTON, 0);
      EXPECT_EQ(panel->GETTASKTITLE(h.ID, task.ID), g.tasks[t].title);
    }
  }
  const QTP_COLORSCHEMA& c = panel->COLORSCHEMA;
  EXPECT_EQ(c.PANEL.BACKGROUND, 0x00E6A07Au);
  EXPECT_EQ(c.PANEL.GRADIENTFROM, 0x00E6A07Au);
  EXPECT_EQ(c.PANEL.GRADIENTTO, 0x00D67563u);
  EXPECT_EQ(c.HEADERS.BACKGROUND, 0x00F9E7E0u);
  EXPECT_EQ(c.HEADERS.GRADIENTFROM, 0x00B24D07u);
  EXPECT_EQ(c.HEADERS.GRADIENTTO, 0x00C75C22u);
  EXPECT_EQ(c.HEADERS.TEXT, 0x00FFFFFFu);
  EXPECT_EQ(c.HEADERS.HOVERED, 0x00FF8E42u);
  EXPECT_EQ(c.HEADERS2.BACKGROUND, 0x00F9E7E0u);
  EXPECT_EQ(c.HEADERS2.GRADIENTFROM, 0x00FFFFFFu);
  EXPECT_EQ(c.HEADERS2.GRADIENTTO, 0x00F9D5C7u);
  EXPECT_EQ(c.HEADERS2.TEXT, 0x00C75C22u);
  EXPECT_EQ(c.HEADERS2.HOVERED, 0x00FF8E42u);
  EXPECT_EQ(c.TASKS.BACKGROUND, 0x00F9E7E0u);
  EXPECT_EQ(c.TASKS.TEXT, 0x00BC3139u);
  EXPECT_EQ(c.TASKS.DISABLED, 0u);
  EXPECT_EQ(panel->FONTNAME, "Tahoma");
  EXPECT_EQ(panel->NLEFTMARGIN, 5);
  EXPECT_EQ(panel->NTOPMARGIN, 10);
  EXPECT_EQ(panel->NRIGHTMARGIN, 5);
  EXPECT_EQ(panel->NBOTTOMMARGIN, 10);
  EXPECT_EQ(panel->APPNAME, "Brivane.EXE");
  EXPECT_EQ(panel->WIZARDMODE, 1);
  EXPECT_EQ(panel->TOOLTIPMODE, 2);
  EXPECT_EQ(panel->HWND, host_->control()) << "control 1 taken over";
  EXPECT_EQ(panel->INITED, 1);
  EXPECT_FALSE(FileExists(File())) << "no stored items: nothing written";
}

// A stored file as a user's earlier runs (or hand edits) left it, and what the re-binding
// makes of each slot. "$X" stands for this run's id named X.
TEST_F(TaskPanelTest, InitRebindsSlotsWhoseTitleIsATaskTitleAndNoOthers) {
  const std::string file = File();
  WriteFileText(file,
                "[RECIENTES.]\r\n"
                "Encab_1=11\r\nCampo_1=12\r\nTexto_1=Saldos\r\n"
                "Encab_2=13\r\nCampo_2=14\r\nTexto_2=\"Saldos   \"\r\n"
                "Encab_3=15\r\nCampo_3=16\r\nTexto_3=Saldos de Proveedores\r\n"
                "Encab_4=17\r\nCampo_4=18\r\nTexto_4=Pagos\r\n"
                "Encab_5=19\r\nCampo_5=20\r\nTexto_5=Pagos\r\n"
                "Encab_6=21\r\nCampo_6=22\r\nTexto_6=saldos\r\n"
                "Texto_7=Asientos Contables\r\n"
                "Encab_8=23\r\nCampo_8=24\r\nTexto_8=Salir\r\n"
                "Encab_21=25\r\nCampo_21=26\r\nTexto_21=Saldos\r\n"
                "Encab_101=27\r\nCampo_101=28\r\nTexto_101=Saldos\r\n");
  panel->INIT(1);
  const std::map<std::string, std::string> ids = {
      {"$INFORMES", std::to_string(panel->INFORMES)},
      {"$SALDOS", std::to_string(panel->INFORMES_SALDOS)},
      {"$ASIENTOS", std::to_string(panel->INFORMES_ASIENTOS_CONTABLES)},
      {"$COMPROBANTES", std::to_string(panel->COMPROBANTES)},
      {"$PAGOS", std::to_string(panel->COMPROBANTES_PAGOS)}};
  struct Slot {
    int n;
    const char *encab, *campo, *texto, *why;
  } expected[] = {
      {1, "$INFORMES", "$SALDOS", "Saldos", "a task title"},
      {2, "$INFORMES", "$SALDOS", "Saldos   ", "trailing blanks do not count"},
      {3, "15", "16", "Saldos de Proveedores", "a tooltip is not a title"},
      {4, "$COMPROBANTES", "$PAGOS", "Pagos", "the same title twice"},
      {5, "$COMPROBANTES", "$PAGOS", "Pagos", "the same title twice"},
      {6, "21", "22", "saldos", "titles compare exactly"},
      {7, "$INFORMES", "$ASIENTOS", "Asientos Contables", "keys missing before"},
      {8, "23", "24", "Salir", "a header title names no task"},
      {21, "25", "26", "Saldos", "beyond the 20 slots"},
      {101, "27", "28", "Saldos", "a temporary slot number"},
  };
  auto value = [&](const char* v) { return ids.count(v) ? ids.at(v) : std::string(v); };
  for (const Slot& s : expected) {
    SCOPED_TRACE(std::to_string(s.n) + ": " + s.why);
    EXPECT_EQ(Key("Encab_", s.n), value(s.encab));
    EXPECT_EQ(Key("Campo_", s.n), value(s.campo));
    EXPECT_EQ(Key("Texto_", s.n), s.texto);
  }
}

TEST_F(TaskPanelTest, ABlankUserNameGivesTheFileNameWithoutOne) {
  user_ = "   ";
  const std::string file = dir_.File("RECIENTES.TaskPanel..ini");
  WriteFileText(file, "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=2\r\nTexto_1=Saldos\r\n");
  panel->INIT(1);
  EXPECT_EQ(IniValue(file, kSection, "Campo_1"), std::to_string(panel->INFORMES_SALDOS));
  EXPECT_EQ(locals_.QLL_TASKPANEL_INIFILE, ".\\RECIENTES.TaskPanel..ini");
}

TEST_F(TaskPanelTest, HeaderClicksToggleTheirGroupsAndRecordNothing) {
  panel->INIT(1);
  // As the panel calls it: the header's expanded flag before the click, which alone decides
  // (the last row hands a flag that disagrees with the group).
  struct Click {
    const int32_t* header;
    int32_t wasExpanded;
    uint8_t after;
  } clicks[] = {{&panel->COMPROBANTES, 1, 0}, {&panel->INFORMES, 0, 1}, {&panel->INFORMES, 1, 0},
                {&panel->COMPROBANTES, 0, 1}, {&panel->INFORMES, 1, 0}};
  for (const Click& c : clicks) {
    panel->EXECUTEACTION(*c.header, 0, 1, c.wasExpanded);
    EXPECT_EQ(Header(*c.header).ISEXPANDED, c.after) << (*c.header == panel->INFORMES ? "Informes" : "Comprobantes");
  }
  // "Recientes" with nothing stored: no popup, and the group stays closed.
  {
    Answerer answer(File(), 1);
    panel->EXECUTEACTION(panel->RECIENTES, 0, 1, 0);
    EXPECT_EQ(answer.popups(), 0);
  }
  EXPECT_EQ(Header(panel->RECIENTES).ISEXPANDED, 0);
  // A header id that names nothing does nothing.
  panel->EXECUTEACTION(123456, 0, 1, 0);
  EXPECT_EQ(CloseEventsPosted(), 0);
  EXPECT_FALSE(FileExists(File()));
}

// "Salir" flips its group, then asks threads 3 to 255 in turn and last thread 1, the
// frame's (here this thread, whose window is the host), to close; thread 2, the pane's own,
// is left out. The order is read from this thread's queue, where all the events land.
TEST_F(TaskPanelTest, SalirFlipsItsGroupThenClosesThreads3To255AndLastTheFrame) {
  panel->INIT(1);
  ASSERT_EQ(rt::CurrentThread(), 1);
  const NumberedThreads threads({2, 3, 4, 254, 255});
  ASSERT_TRUE(threads.ready());
  const std::vector<int32_t> expected = {3, 4, 254, 255, 1};
  panel->EXECUTEACTION(panel->SALIR, 0, 1, 0);
  EXPECT_EQ(Header(panel->SALIR).ISEXPANDED, 1);
  EXPECT_EQ(threads.CloseEventsInOrder(host_->host()), expected);
  panel->EXECUTEACTION(panel->SALIR, 0, 1, 1);
  EXPECT_EQ(Header(panel->SALIR).ISEXPANDED, 0);
  EXPECT_EQ(threads.CloseEventsInOrder(host_->host()), expected);
  EXPECT_FALSE(FileExists(File()));
}

TEST_F(TaskPanelTest, ATaskIsRecordedThenShownAndOnlyItsOwnGroupShowsIt) {
  panel->INIT(1);
  // Each of the eight tasks: recorded as slot 1 before its dialog opens with its title.
  const struct {
    const int32_t *header, *task;
    const char* title;
  } tasks[] = {{&panel->COMPROBANTES, &panel->COMPROBANTES_FACTURACION, "Facturacion"},
               {&panel->COMPROBANTES, &panel->COMPROBANTES_PAGOS, "Pagos"},
               {&panel->COMPROBANTES, &panel->COMPROBANTES_OTROSPAGOS, "Otros Pagos"},
               {&panel->COMPROBANTES, &panel->COMPROBANTES_IMPUTACIONES, "Imputaciones"},
               {&panel->INFORMES, &panel->INFORMES_SUBDIARIO_DE_IVA, "Subdiario de IVA"},
               {&panel->INFORMES, &panel->INFORMES_SALDOS, "Saldos"},
               {&panel->INFORMES, &panel->INFORMES_RESUMEN_CTA_CTE, "Resumen Cta Cte"},
               {&panel->INFORMES, &panel->INFORMES_ASIENTOS_CONTABLES, "Asientos Contables"}};
  {
    Answerer answer(File(), 0);
    for (const auto& t : tasks) {
      SCOPED_TRACE(t.title);
      const std::size_t before = answer.dialogs().size();
      panel->EXECUTEACTION(*t.header, *t.task, 1, 0);
      ASSERT_EQ(answer.dialogs().size(), before + 1);
      EXPECT_EQ(answer.dialogs().back().text, t.title);
      EXPECT_EQ(answer.dialogs().back().slot1, t.title) << "recorded before the dialog opened";
      EXPECT_EQ(Key("Encab_", 1), std::to_string(*t.header));
      EXPECT_EQ(Key("Campo_", 1), std::to_string(*t.task));
    }
  }
  EXPECT_EQ(Key("Texto_", 8), "Facturacion") << "the first of the eight, seven places down";
  // A task id under a header it does not belong to: recorded with the title found for it
  // (none), and nothing is shown.
  {
    Answerer answer(File(), 0);
    panel->EXECUTEACTION(panel->INFORMES, panel->COMPROBANTES_PAGOS, 1, 0);
    EXPECT_TRUE(answer.dialogs().empty());
  }
  EXPECT_EQ(Key("Campo_", 1), std::to_string(panel->COMPROBANTES_PAGOS));
  EXPECT_EQ(Key("Texto_", 1), "");
  EXPECT_EQ(Key("Texto_", 2), "Asientos Contables");
}

TEST_F(TaskPanelTest, RecientesReplaysTheChosenSlotOrNothingForAnEmptyOne) {
  WriteFileText(File(),
                "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=0\r\nTexto_1=Sin tarea\r\n"
                "Encab_2=3\r\nCampo_2=4\r\nTexto_2=Imputaciones\r\n");
  panel->INIT(1);
  const std::string before = ReadFileText(File());
  {
    Answerer answer(File(), 1);  // slot 1: its "Campo_" is 0
    panel->EXECUTEACTION(panel->RECIENTES, 0, 1, 0);
    EXPECT_EQ(answer.popups(), 1);
    EXPECT_TRUE(answer.dialogs().empty());
  }
  EXPECT_EQ(ReadFileText(File()), before);
  {
    Answerer answer(File(), 2);  // "Imputaciones", re-bound at INIT
    panel->EXECUTEACTION(panel->RECIENTES, 0, 1, 0);
    ASSERT_EQ(answer.dialogs().size(), 1u);
    EXPECT_EQ(answer.dialogs()[0].text, "Imputaciones");
    EXPECT_EQ(answer.dialogs()[0].slot1, "Imputaciones");
  }
  EXPECT_EQ(Key("Campo_", 1), std::to_string(panel->COMPROBANTES_IMPUTACIONES));
  // Dismissed after a choice: the choice before is not carried out again.
  const std::string afterReplay = ReadFileText(File());
  {
    Answerer answer(File(), 0);
    panel->EXECUTEACTION(panel->RECIENTES, 0, 1, 0);
    EXPECT_EQ(answer.popups(), 1);
    EXPECT_TRUE(answer.dialogs().empty());
  }
  EXPECT_EQ(ReadFileText(File()), afterReplay);
  EXPECT_EQ(Header(panel->RECIENTES).ISEXPANDED, 0);
}

// A replay from "Recientes" comes from a click on a header: the task it carries out is not
// marked as the active one, and the mark that a click on a task set stays where it was.
TEST_F(TaskPanelTest, AReplayedTaskIsNotMarkedAndTheClickedOneKeepsTheMark) {
  panel->INIT(1);
  const ::HWND control = host_->control();
  UpdateWindow(control);  // laid out: the rows have their mouse rectangles
  auto clickAt = [&](const QTP_RECT& r) {
    const POINT at = panel_test::Middle(r);
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    UpdateWindow(control);
  };
  auto task = [&](int32_t id) { return panel_test::StoredTask(*panel, panel->COMPROBANTES, id); };
  {
    Answerer answer(File(), 0);
    clickAt(task(panel->COMPROBANTES_FACTURACION)->MOUSERECT);
    clickAt(task(panel->COMPROBANTES_PAGOS)->MOUSERECT);
    ASSERT_EQ(answer.dialogs().size(), 2u);
  }
  ASSERT_EQ(task(panel->COMPROBANTES_PAGOS)->ISBOLD, 1) << "a clicked task is marked";
  ASSERT_EQ(task(panel->COMPROBANTES_FACTURACION)->ISBOLD, 0);
  ASSERT_EQ(Key("Texto_", 2), "Facturacion");
  {
    Answerer answer(File(), 2);  // "Facturacion"
    clickAt(panel_test::StoredHeader(*panel, panel->RECIENTES)->MOUSERECT);
    ASSERT_EQ(answer.dialogs().size(), 1u);
    EXPECT_EQ(answer.dialogs()[0].text, "Facturacion");
  }
  EXPECT_EQ(task(panel->COMPROBANTES_FACTURACION)->ISBOLD, 0) << "the replayed task is not marked";
  EXPECT_EQ(task(panel->COMPROBANTES_PAGOS)->ISBOLD, 1) << "the clicked one keeps the mark";
  EXPECT_EQ(panel->WIZARDLASTHEADERID, panel->COMPROBANTES);
  EXPECT_EQ(panel->WIZARDLASTTASKID, panel->COMPROBANTES_PAGOS);
}

// Counts the Escape keys that reach a window.
struct KeyCounter {
  static LRESULT CALLBACK Proc(::HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == WM_KEYDOWN || msg == WM_CHAR) && wp == VK_ESCAPE) ++escapes;
    return CallWindowProcA(old, h, msg, wp, lp);
  }
  static inline WNDPROC old = nullptr;
  static inline int escapes = 0;
};

// The pane's window, opened from its layout inside a frame on this thread: Escape, pressed
// on the panel's control or on the window, is an alert event for the window in place of the
// key's own handling, so the key never reaches the control and the window stays open.
TEST_F(TaskPanelTest, EscapeInThePaneIsAnAlertInPlaceOfTheKey) {
  panelwindow::RegisterPanelLayout("PanelTest$PANE");
  std::unique_ptr<rt::Window> frame, pane;
  rt::LoadFrameStructure(frame, config_.frameModule, app::kFrameLayout);
  ASSERT_TRUE(frame && frame->Open());
  rt::LoadMdiChildStructure(pane, "PanelTest$PANE", panelwindow::kPanelLayout);
  ASSERT_TRUE(pane && pane->Open());
  ::HWND control = GetDlgItem(pane->Handle(), panelwindow::FEQ_XPTASKPANEL);
  ASSERT_TRUE(control);
  KeyCounter::escapes = 0;
  KeyCounter::old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeyCounter::Proc)));

  constexpr int32_t kMarker = 0x7777;  // an event posted after the keys: everything before it is theirs
  for (::HWND to : {control, pane->Handle()}) PostMessageA(to, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(pane->Handle(), rt::WM_RT_EVENT, kMarker, 0);
  std::vector<int32_t> events;
  rt::Event e;
  while (pane->NextEvent(e)) {
    events.push_back(e.event);
    if (e.event == kMarker) break;
  }
  const std::vector<int32_t> expected = {rt::EVENT_OpenWindow, rt::EVENT_AlertKey, rt::EVENT_AlertKey, kMarker};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(KeyCounter::escapes, 0) << "the key's own handling is replaced";
  EXPECT_TRUE(pane->IsOpen());
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeyCounter::old));
}

}  // namespace
