// A stored number that names none of the frame's menu items, chosen from "Recientes" in the
// real Caldrel: it is replayed, shows nothing and leaves the stored entry as it is.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "stepwise_update.h"

namespace {

using namespace e2e;

TEST(RecentReplay, ANumberThatNamesNoMenuItemLeavesTheStoredEntryAsItIs) {
  TempDir dir;
  const std::string recent = dir.File(kCaldrel.frameFile), expected = dir.File("expected.ini");
  const std::string text = "[RECIENTES.]\r\nCampo_1=-99\r\nTexto_1=Foo\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n";
  WriteFileText(recent, text);
  Running run(kCaldrel, dir.path());
  ASSERT_TRUE(run.frame());

  ChooseMenuItem(run.frame(), -5);
  ::HWND menu = WaitPopupMenu(run.process().pid());
  ASSERT_TRUE(menu);
  PickPopupItem(menu, 1);  // "Foo"
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
  // Once the frame has handled a message sent to it, the replayed event is queued; a menu
  // choice posted now is handled after it.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(run.frame(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  ChooseMenuItem(run.frame(), -10);  // "Recibos"
  ::HWND dialog = run.WaitDialog();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(Running::DialogText(dialog), "Recibos") << "the replayed number shows no dialog";
  CloseAsUser(dialog);
  ASSERT_TRUE(WaitFor([&] { return IniValue(recent, "RECIENTES.", "Texto_1") == "Recibos"; }));
  // What recording "Recibos" leaves in the file as it was: the replay changed nothing.
  WriteFileText(expected, text);
  recent_test::StepwisePushRecentItem(expected, app::RecentIdentity::Number, 0, -10, "Recibos");
  EXPECT_EQ(ReadFileText(recent), ReadFileText(expected));
  EXPECT_EQ(IniValue(recent, "RECIENTES.", "Texto_2"), "Foo");
  EXPECT_EQ(run.Exit(), 0);
}

}  // namespace
