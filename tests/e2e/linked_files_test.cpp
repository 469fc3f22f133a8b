// The real Caldrel with its recent-item list and its program INI kept elsewhere (a shared
// folder, say) through symbolic links in its folder: after a run both names are still links,
// and the files they lead to hold the run's choice and the frame's placement.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "unix_side.h"

namespace {

using namespace e2e;

TEST(LinkedFiles, CaldrelWritesThroughItsLinksAndKeepsThem) {
  TempDir dir;
  ScopedLinks links;
  const std::string shared = dir.File("shared"), list = shared + "\\lista.ini", ini = shared + "\\programa.ini";
  ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));
  WriteFileText(list, "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\n");
  WriteFileText(ini, "[Otra]\r\nclave=1\r\n");
  ASSERT_TRUE(links.Make(dir.File(kCaldrel.frameFile), list));
  ASSERT_TRUE(links.Make(dir.File(kCaldrel.iniFile), ini));
  {
    Running run(kCaldrel, dir.path());
    ASSERT_TRUE(run.frame());
    ChooseMenuItem(run.frame(), -7);  // "Facturas"
    ::HWND dialog = run.WaitDialog();
    ASSERT_TRUE(dialog);
    CloseAsUser(dialog);
    ASSERT_TRUE(WaitFor([&] { return IniValue(list, "RECIENTES.", "Texto_1") == "Facturas"; }));
    EXPECT_EQ(run.Exit(), 0);
  }
  EXPECT_EQ(FinalPathOf(dir.File(kCaldrel.frameFile)), FinalPathOf(list)) << "still a link";
  EXPECT_EQ(FinalPathOf(dir.File(kCaldrel.iniFile)), FinalPathOf(ini)) << "still a link";
  EXPECT_EQ(IniValue(list, "RECIENTES.", "Texto_2"), "Recibos");
  EXPECT_FALSE(IniValue(ini, "Main", "Width").empty());
  EXPECT_EQ(IniValue(ini, "Otra", "clave"), "1");
}

}  // namespace
