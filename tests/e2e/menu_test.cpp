// The frame's accounting menu through the real programs: each accounting item shows the
// message dialog with its text and is recorded after the dialog closes; the other items show
// nothing and record nothing; "Recientes" replays a stored choice.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

using namespace e2e;

struct Choice {
  int32_t feq;
  const char* text;
};
constexpr Choice kAccounting[] = {{-7, "Facturas"},           {-8, "Notas de Debito"},
                                  {-9, "Notas de Credito"},   {-10, "Recibos"},
                                  {-12, "Subdiario de IVA Ventas"}, {-13, "Saldos de Clientes"},
                                  {-14, "Minutas Contables"}};

class Menu : public ::testing::TestWithParam<Program> {};

TEST_P(Menu, EachAccountingItemShowsItsTextThenBecomesSlot1) {
  TempDir dir;
  Running run(GetParam(), dir.path());
  ASSERT_TRUE(run.frame());
  for (const Choice& c : kAccounting) {
    SCOPED_TRACE(c.text);
    ChooseMenuItem(run.frame(), c.feq);
    ::HWND dialog = run.WaitDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Running::Shows(dialog, c.text));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr) << "the dialog has no owner window";
    Pump(100);
    EXPECT_NE(IniValue(run.Recent(), "RECIENTES.", "Texto_1"), c.text) << "not recorded while the dialog is open";
    CloseAsUser(dialog);
    ASSERT_TRUE(WaitFor([&] { return IniValue(run.Recent(), "RECIENTES.", "Texto_1") == c.text; }));
    EXPECT_EQ(IniValue(run.Recent(), "RECIENTES.", "Campo_1"), std::to_string(c.feq));
  }
  // Newest first, the seven of them.
  for (int n = 1; n <= 7; ++n)
    EXPECT_EQ(IniValue(run.Recent(), "RECIENTES.", "Texto_" + std::to_string(n)), kAccounting[7 - n].text);
  EXPECT_EQ(run.Exit(), 0);
}

TEST_P(Menu, StandardAndMenuItemsShowNoDialogAndRecordNothing) {
  TempDir dir;
  Running run(GetParam(), dir.path());
  ASSERT_TRUE(run.frame());
  // The edit and window items, and "Recientes" on an empty list.
  for (int32_t feq : {-16, -17, -18, -20, -21, -22, -5}) {
    SCOPED_TRACE(feq);
    ChooseMenuItem(run.frame(), feq);
    Pump(300);
    EXPECT_EQ(FindTopWindow(run.process().pid(), "Caption"), nullptr);
  }
  // The help items say that there is no help file.
  for (int32_t feq : {-24, -25, -26}) {
    SCOPED_TRACE(feq);
    ChooseMenuItem(run.frame(), feq);
    ::HWND help = WaitTopWindow(run.process().pid(), "Help");
    ASSERT_TRUE(help);
    EXPECT_EQ(FindTopWindow(run.process().pid(), "Caption"), nullptr);
    CloseAsUser(help);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(help); }));
  }
  // Print set-up opens the printer dialog, or, with no printer installed, says so.
  ChooseMenuItem(run.frame(), -3);
  ::HWND printer = WaitTopWindow(run.process().pid(), "Print Setup");
  ASSERT_TRUE(printer);
  EXPECT_EQ(FindTopWindow(run.process().pid(), "Caption"), nullptr);
  CloseAsUser(printer);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(printer); }));
  EXPECT_FALSE(FileExists(run.Recent()));
  EXPECT_EQ(run.Exit(), 0);
  EXPECT_FALSE(FileExists(run.Recent()));
}

TEST_P(Menu, RecientesPopsUpTheStoredTextsAndReplaysTheChosenSlot) {
  TempDir dir;
  const std::string recent = dir.File(GetParam().frameFile);
  WriteFileText(recent,
                "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n"
                "Campo_3=-13\r\nTexto_3=Saldos de Clientes\r\n");
  Running run(GetParam(), dir.path());
  ASSERT_TRUE(run.frame());

  // Dismissed: nothing shown, nothing written.
  const std::string before = ReadFileText(recent);
  ChooseMenuItem(run.frame(), -5);
  ::HWND menu = WaitPopupMenu(run.process().pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 0);
  Pump(400);
  EXPECT_EQ(FindTopWindow(run.process().pid(), "Caption"), nullptr);
  EXPECT_EQ(ReadFileText(recent), before);

  // Item 3 replays slot 3: its dialog first, then it is slot 1.
  ChooseMenuItem(run.frame(), -5);
  menu = WaitPopupMenu(run.process().pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 3);
  ::HWND dialog = run.WaitDialog();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Saldos de Clientes"));
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_1"), "Recibos");
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return IniValue(recent, "RECIENTES.", "Texto_1") == "Saldos de Clientes"; }));
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Campo_1"), "-13");
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_2"), "Recibos");
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_3"), "Facturas");
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_4"), "");
  EXPECT_EQ(run.Exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Programs, Menu, ::testing::Values(kBrivane, kCaldrel),
                         [](const auto& info) { return info.param.exe.substr(0, info.param.exe.size() - 4); });

TEST(TwoPrograms, KeepSeparateFilesInOneDirectory) {
  TempDir dir;
  for (const Program* p : {&kBrivane, &kCaldrel}) {
    Running run(*p, dir.path());
    ASSERT_TRUE(run.frame());
    ChooseMenuItem(run.frame(), p == &kBrivane ? -7 : -10);
    ::HWND dialog = run.WaitDialog();
    ASSERT_TRUE(dialog);
    CloseAsUser(dialog);
    ASSERT_TRUE(WaitFor([&] { return FileExists(run.Recent()); }));
    EXPECT_EQ(run.Exit(), 0);
  }
  EXPECT_EQ(IniValue(dir.File("RECIENTES.TaskPanel.Frame.zarozevi.ini"), "RECIENTES.", "Texto_1"), "Facturas");
  EXPECT_EQ(IniValue(dir.File("RECIENTES.Zarozevi.ini"), "RECIENTES.", "Texto_1"), "Recibos");
  EXPECT_TRUE(FileExists(dir.File("Brivane.INI")));
  EXPECT_TRUE(FileExists(dir.File("Caldrel.INI")));
}

}  // namespace
