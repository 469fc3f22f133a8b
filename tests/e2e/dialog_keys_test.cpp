// The frame's message dialog from the keyboard, through the real programs: real keys to the
// foreground dialog end it, and the menu choice that opened it is recorded afterwards.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

using namespace e2e;

class DialogKeys : public ::testing::TestWithParam<Program> {};

TEST_P(DialogKeys, KeysEndTheDialogAndTheChoiceIsRecordedAfterwards) {
  const struct Road {
    const char* keys;
    std::vector<std::vector<WORD>> chords;
    int32_t feq;  // the accounting item chosen
    const char* text;
  } roads[] = {
      {"Enter", {{VK_RETURN}}, -7, "Facturas"},
      {"Tab, Space", {{VK_TAB}, {VK_SPACE}}, -8, "Notas de Debito"},
      {"Alt+O", {{VK_MENU, 'O'}}, -9, "Notas de Credito"},
      {"Alt+C", {{VK_MENU, 'C'}}, -10, "Recibos"},
      {"Shift+Tab, Shift+Tab, Space", {{VK_SHIFT, VK_TAB}, {VK_SHIFT, VK_TAB}, {VK_SPACE}}, -12,
       "Subdiario de IVA Ventas"},
  };
  TempDir dir;
  Running run(GetParam(), dir.path());
  ASSERT_TRUE(run.frame());
  if (GetParam().threads == 2) {
    // Brivane's pane has started and its open event has put the focus on its panel, which
    // would otherwise take it from a dialog opened meanwhile.
    ::HWND pane = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      ::HWND client = FindWindowExA(run.frame(), nullptr, "MDIClient", nullptr);
      pane = client ? FindWindowExA(client, nullptr, "RtMdiChild", "ToolBar") : nullptr;
      return pane && FocusOf(GetWindowThreadProcessId(pane, nullptr)) == GetDlgItem(pane, 1);
    }));
  }
  for (const Road& r : roads) {
    SCOPED_TRACE(r.keys);
    ChooseMenuItem(run.frame(), r.feq);
    ::HWND dialog = run.WaitDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(Running::Shows(dialog, r.text));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    ::HWND ok = GetDlgItem(dialog, 2), cancel = GetDlgItem(dialog, 3);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(thread) == ok; }, 3000)) << "the focus starts on \"&OK\"";
    EXPECT_NE(IniValue(run.Recent(), "RECIENTES.", "Texto_1"), r.text);
    for (std::size_t i = 0; i < r.chords.size(); ++i) {
      PressKeys(r.chords[i]);
      if (i + 1 < r.chords.size()) {
        ::HWND next = i % 2 == 0 ? cancel : ok;  // two buttons: each Tab either way goes to the other
        EXPECT_TRUE(WaitFor([&] { return FocusOf(thread) == next; }, 3000)) << "after chord " << i;
      }
    }
    const bool ended = WaitFor([&] { return !IsWindow(dialog); });
    EXPECT_TRUE(ended) << "the keys end the dialog";
    if (!ended) {
      CloseAsUser(dialog);
      WaitFor([&] { return !IsWindow(dialog); });
    }
    EXPECT_TRUE(WaitFor([&] { return IniValue(run.Recent(), "RECIENTES.", "Texto_1") == r.text; }))
        << "recorded after the dialog ends";
  }
  EXPECT_EQ(run.Exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Programs, DialogKeys, ::testing::Values(kBrivane, kCaldrel),
                         [](const auto& info) { return info.param.exe.substr(0, info.param.exe.size() - 4); });

}  // namespace
