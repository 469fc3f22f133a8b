// Stored numbers that are not accounting items, chosen from "Recientes" in the real Caldrel:
// a menu, the menu bar, a standard action or nothing at all. Each is replayed (a standard
// action is carried out as from the menu), and the stored entry stays as it is.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "stepwise_update.h"

namespace {

using namespace e2e;

struct Stored {
  int32_t number;
  const char* text;
  const char* shows;  // caption of the window the replay shows, or null
  const char* name;
};

const Stored kStored[] = {
    {-99, "Foo", nullptr, "NamesNothing"},
    {-1, "Barra de menus", nullptr, "MenuBar"},
    {-2, "Archivo", nullptr, "FileMenu"},
    {-6, "Comprobantes", nullptr, "ComprobantesMenu"},
    {-11, "Informes", nullptr, "InformesMenu"},
    {-3, "Configurar impresora", "Print Setup", "PrintSetup"},
    {-16, "Cortar", nullptr, "Cut"},
};

void PrintTo(const Stored& s, std::ostream* os) { *os << s.number << " \"" << s.text << "\""; }

class RecentReplay : public ::testing::TestWithParam<Stored> {};

TEST_P(RecentReplay, LeavesTheStoredEntryAsItIs) {
  const Stored& s = GetParam();
  TempDir dir;
  const std::string recent = dir.File(kCaldrel.frameFile), expected = dir.File("expected.ini");
  const std::string text = "[RECIENTES.]\r\nCampo_1=" + std::to_string(s.number) + "\r\nTexto_1=" + s.text +
                           "\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n";
  WriteFileText(recent, text);
  Running run(kCaldrel, dir.path());
  ASSERT_TRUE(run.frame());

  ChooseMenuItem(run.frame(), -5);
  ::HWND menu = WaitPopupMenu(run.process().pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 1);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
  if (s.shows) {
    ::HWND shown = WaitTopWindow(run.process().pid(), s.shows);
    ASSERT_TRUE(shown) << "the replay carries out the item's standard action";
    EXPECT_EQ(FindTopWindow(run.process().pid(), "Caption"), nullptr);
    CloseAsUser(shown);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(shown); }));
  }
  // Once the frame has handled a message sent to it, the replayed event is queued; a menu
  // choice posted now is handled after it.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(run.frame(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  ChooseMenuItem(run.frame(), -10);  // "Recibos"
  ::HWND dialog = run.WaitDialog();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Running::Shows(dialog, "Recibos")) << "the replayed number shows no dialog";
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return IniValue(recent, "RECIENTES.", "Texto_1") == "Recibos"; }));
  // What recording "Recibos" leaves in the file as it was: the replay changed nothing.
  WriteFileText(expected, text);
  recent_test::StepwisePushRecentItem(expected, app::RecentIdentity::Number, 0, -10, "Recibos");
  EXPECT_EQ(ReadFileText(recent), ReadFileText(expected));
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_2"), s.text);
  EXPECT_EQ(run.Exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Numbers, RecentReplay, ::testing::ValuesIn(kStored),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
