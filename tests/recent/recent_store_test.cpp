// The recent-item store against real files through the private-profile API.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <map>
#include <optional>

#include "app/recent_items.h"
#include "recent_fixture.h"
#include "stepwise_update.h"
#include "test_support.h"

namespace {

using app::RecentIdentity;
using recent_test::FrameSlots;
using recent_test::IniText;
using recent_test::KeyValues;
using recent_test::SectionLines;
using recent_test::Sorted;
using recent_test::SortedSection;
using recent_test::operator+;
using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

constexpr RecentIdentity kFrame = RecentIdentity::Number;
constexpr RecentIdentity kPanel = RecentIdentity::HeaderAndNumber;

struct Push {
  RecentIdentity identity;
  int32_t header, number;
  std::string text;
};
Push Frame(int32_t number, std::string text) { return {kFrame, 0, number, std::move(text)}; }
Push Task(int32_t header, int32_t number, std::string text) { return {kPanel, header, number, std::move(text)}; }
void Apply(const std::string& file, const Push& p) { app::PushRecentItem(file, p.identity, p.header, p.number, p.text); }

using SlotList = std::vector<std::pair<int, std::string>>;
// Entries from..to as (number i, "Item i"), after the given ones.
SlotList Items(int from, int to, SlotList before = {}) {
  for (int i = from; i <= to; ++i) before.emplace_back(i, "Item " + std::to_string(i));
  return before;
}

const std::string kLong150 = std::string(60, 'a') + std::string(60, 'b') + std::string(30, 'c');

TEST(RecentUpdate, TheUpdateRule) {
  const KeyValues outside = {{"Campo_21", "5"},   {"Texto_21", "Extra"}, {"Texto_100", "cien"}, {"Campo_121", "-3"},
                       {"Texto_999", "z"},  {"Encab_3", "44"},     {"Campo_0", "1"},      {"Campo_05", "2"},
                       {"Otra", "valor"}};
  struct Case {
    const char* what;
    std::optional<KeyValues> before;  // none: no file
    std::vector<Push> pushes;
    KeyValues after;                  // the whole section afterwards
    bool onlyTexto1 = false;          // the file's bytes differ in Texto_1's line only
  } cases[] = {
      {"no file: slot 1 only, the file is created", std::nullopt, {Frame(-7, "Facturas")},
       FrameSlots({{-7, "Facturas"}})},
      {"entry already slot 1: only slot 1 is rewritten",
       KeyValues{{"Campo_1", "-7"}, {"Texto_1", "Facturas"}, {"Campo_2", "007"}, {"Texto_2", "'Recibos'"}},
       {Frame(-7, "Facturas (2)")},
       {{"Campo_1", "-7"}, {"Texto_1", "Facturas (2)"}, {"Campo_2", "007"}, {"Texto_2", "'Recibos'"}}, true},
      {"entry at slot 3 moves up, the slots before it move down, the ones after stay",
       FrameSlots({{-10, "Recibos"}, {-8, "Notas de Debito"}, {-7, "Facturas"}, {-12, "Subdiario de IVA Ventas"}}),
       {Frame(-7, "Facturas")},
       FrameSlots({{-7, "Facturas"}, {-10, "Recibos"}, {-8, "Notas de Debito"}, {-12, "Subdiario de IVA Ventas"}})},
      {"20 stored and a new one: slot 20 falls off", FrameSlots(Items(1, 20)), {Frame(21, "Item 21")},
       FrameSlots(Items(1, 19, {{21, "Item 21"}}))},
      {"slot 1 holds number 0: only slot 1 is written",
       KeyValues{{"Campo_1", "0"}, {"Texto_1", "Viejo"}, {"Campo_2", "-7"}, {"Texto_2", "Facturas"}},
       {Frame(-10, "Recibos")},
       {{"Campo_1", "-10"}, {"Texto_1", "Recibos"}, {"Campo_2", "-7"}, {"Texto_2", "Facturas"}}},
      {"slot 1 missing: only slot 1 is written", KeyValues{{"Campo_2", "-7"}, {"Texto_2", "Facturas"}},
       {Frame(-10, "Recibos")},
       {{"Campo_2", "-7"}, {"Texto_2", "Facturas"}, {"Campo_1", "-10"}, {"Texto_1", "Recibos"}}},
      {"a text over 100 characters is kept whole in slot 1", FrameSlots({{-10, "Recibos"}}), {Frame(-7, kLong150)},
       FrameSlots({{-7, kLong150}, {-10, "Recibos"}})},
      {"... and cut to 100 by the next shift", FrameSlots({{-10, "Recibos"}}),
       {Frame(-7, kLong150), Frame(-8, "Notas")},
       FrameSlots({{-8, "Notas"}, {-7, kLong150.substr(0, 100)}, {-10, "Recibos"}})},
      {"a text over 1023 characters keeps 1023", KeyValues{}, {Frame(-7, std::string(1500, 'x'))},
       FrameSlots({{-7, std::string(1023, 'x')}})},
      {"a blank text is stored empty in slot 1", FrameSlots({{-10, "Recibos"}}), {Frame(-7, "   ")},
       FrameSlots({{-7, ""}, {-10, "Recibos"}})},
      {"... and dropped by the next shift", FrameSlots({{-10, "Recibos"}}), {Frame(-7, "   "), Frame(-8, "Notas")},
       FrameSlots({{-8, "Notas"}, {-10, "Recibos"}})},
      {"leftover temporary keys: removed by a full update",
       FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}}) +
           KeyValues{{"Campo_101", "-9"}, {"Texto_101", "Notas de Credito"}, {"Campo_120", "5"}, {"Texto_120", "x"}},
       {Frame(-8, "Notas")}, FrameSlots({{-8, "Notas"}, {-10, "Recibos"}, {-7, "Facturas"}})},
      {"leftover temporary keys: ignored by the slot-1-only path",
       FrameSlots({{-10, "Recibos"}}) + KeyValues{{"Campo_101", "-9"}, {"Texto_101", "Notas de Credito"}},
       {Frame(-10, "Recibos")},
       FrameSlots({{-10, "Recibos"}}) + KeyValues{{"Campo_101", "-9"}, {"Texto_101", "Notas de Credito"}}},
      {"keys 21..100, above 120 and any other key survive untouched", FrameSlots(Items(1, 20)) + outside,
       {Frame(99, "Nuevo")}, FrameSlots(Items(1, 19, {{99, "Nuevo"}})) + outside},
      {"the same number with a new text is one entry", FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}}),
       {Frame(-7, "Facturas nuevas")}, FrameSlots({{-7, "Facturas nuevas"}, {-10, "Recibos"}})},
      {"task panel: the pair moves up",
       KeyValues{{"Encab_1", "5"}, {"Campo_1", "3"}, {"Texto_1", "Alfa"}, {"Encab_2", "6"}, {"Campo_2", "3"},
                 {"Texto_2", "Beta"}},
       {Task(6, 3, "Beta")},
       {{"Encab_1", "6"}, {"Campo_1", "3"}, {"Texto_1", "Beta"}, {"Encab_2", "5"}, {"Campo_2", "3"}, {"Texto_2", "Alfa"}}},
      {"task panel: the same task id under another header is another entry",
       KeyValues{{"Encab_1", "5"}, {"Campo_1", "3"}, {"Texto_1", "Alfa"}}, {Task(6, 3, "Alfa")},
       {{"Encab_1", "6"}, {"Campo_1", "3"}, {"Texto_1", "Alfa"}, {"Encab_2", "5"}, {"Campo_2", "3"}, {"Texto_2", "Alfa"}}},
      {"task panel: the same pair rewrites slot 1 only",
       KeyValues{{"Encab_1", "5"}, {"Campo_1", "3"}, {"Texto_1", "Alfa"}, {"Encab_2", "6"}, {"Campo_2", "4"},
                 {"Texto_2", "Beta"}},
       {Task(5, 3, "Alfa 2")},
       {{"Encab_1", "5"}, {"Campo_1", "3"}, {"Texto_1", "Alfa 2"}, {"Encab_2", "6"}, {"Campo_2", "4"}, {"Texto_2", "Beta"}},
       true},
      {"task panel: a first task in no file", std::nullopt, {Task(9, 2, "Facturas")},
       {{"Encab_1", "9"}, {"Campo_1", "2"}, {"Texto_1", "Facturas"}}},
  };

  // Each case on a file that holds the section alone (as the store writes it) and on one
  // with another section after it (rewritten through a copy).
  for (const bool withOtherSection : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (withOtherSection ? " (with another section)" : ""));
      TempDir dir;
      const std::string file = dir.File("RECIENTES.prueba.ini");
      const std::string otherSection = withOtherSection ? "[Otra]\r\nCampo_1=8\r\n" : "";
      if (c.before) WriteFileText(file, IniText(*c.before) + otherSection);
      const std::string original = c.before ? ReadFileText(file) : std::string();
      for (const Push& p : c.pushes) Apply(file, p);
      EXPECT_EQ(SortedSection(file), Sorted(c.after));
      EXPECT_FALSE(FileExists(file + "~")) << "no scratch file is left behind";
      if (c.before && withOtherSection) {
        EXPECT_EQ(SectionLines(file, "Otra"), std::vector<std::string>{"Campo_1=8"});
      }
      if (c.onlyTexto1) {
        std::string expected = original;
        const std::size_t at = expected.find("Texto_1=");
        const std::size_t end = expected.find("\r\n", at);
        expected.replace(at, end - at, "Texto_1=" + c.pushes.back().text);
        EXPECT_EQ(ReadFileText(file), expected);
      }
    }
  }
}

TEST(RecentUpdate, TheNewFileIsLaidOutAsThePrivateProfileLayerLaysItOut) {
  // The same section once as the store writes it and once hand-spaced: the first is written
  // anew directly, the second rewritten by the private-profile layer; the bytes agree.
  const KeyValues slots = FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}, {-8, ""}}) +
                          KeyValues{{"Campo_30", "\"q\""}, {"", "sin clave"}, {"Otra", "a=b"}};
  std::string spaced;
  for (const auto& [k, v] : slots) spaced += "  " + k + " =   " + v + "   \r\n";
  TempDir dir;
  const std::string direct = dir.File("direct.ini"), layered = dir.File("layered.ini");
  WriteFileText(direct, IniText(slots));
  WriteFileText(layered, "[RECIENTES.]\r\n" + spaced);
  for (const Push& p : {Frame(-12, "  Subdiario"), Frame(-7, "Facturas"), Frame(-13, std::string(1030, 's'))}) {
    Apply(direct, p);
    Apply(layered, p);
    EXPECT_EQ(ReadFileText(direct), ReadFileText(layered));
  }
  EXPECT_EQ(app::RecentSlotText(direct, 3), "Subdiario");
}

// What another program reading the file sees: every key (the layer ignores case in key
// names) with its stored value, and every other section.
std::map<std::string, std::string> Visible(const std::string& file) {
  std::map<std::string, std::string> out;
  for (const std::string& line : SectionLines(file)) {
    const std::size_t eq = line.find('=');
    std::string key = line.substr(0, eq);
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    out.emplace(key, eq == std::string::npos ? std::string("(no value)") : line.substr(eq + 1));
  }
  for (const std::string& line : SectionLines(file, "Otra")) out.emplace("[Otra]" + line, "");
  return out;
}

TEST(RecentUpdate, OneStepUpdateLeavesWhatTheKeyByKeyUpdateLeaves) {
  // Hand-edited files: key names in other cases, quoted and padded values, numbers that do
  // not read as numbers, blank and tab-only texts, gaps, foreign keys and sections.
  const std::string frameFile =
      "[RECIENTES.]\r\n"
      "Campo_1=-10\r\nTexto_1=Recibos\r\n"
      "campo_2 =  -7\r\nTEXTO_2=\"Facturas\"\r\n"
      "Campo_3='-8'\r\nTexto_3=  'Notas de Debito'  \r\n"
      "Campo_4=12abc\r\nTexto_4=   \r\n"
      "Campo_5=-12\r\nTexto_5=\"  \"\r\n"
      "Campo_6=-13\r\nTexto_6=\"'Saldos de Clientes'\"\r\n"
      "Campo_7=\r\nTexto_7=\tx\r\n"
      "Campo_8=-14\r\nTexto_8=\"\t\"\r\n"
      "Campo_9=99999999999\r\nTexto_9=" + kLong150 + "\r\n"
      "Campo_10=-9\r\nTexto_10=a|b\r\n"
      "Campo_11=-7\r\nTexto_11=Facturas otra vez\r\n"
      "Campo_13=-5\r\nTexto_13=Trece\r\n"
      "Campo_14=-6\r\nTexto_14=\" Catorce \"\r\n"
      "Campo_50=1\r\nTexto_50=cincuenta\r\nCampo_105=3\r\nTexto_105=viejo\r\nEncab_2=77\r\nOtra=valor\r\n"
      "[Otra]\r\nCampo_1=1\r\n";
  const std::string panelFile =
      "[RECIENTES.]\r\n"
      "Encab_1=5\r\nCampo_1=3\r\nTexto_1=Alfa\r\n"
      "encab_2='6'\r\nCampo_2=3\r\nTexto_2=Beta\r\n"
      "Campo_3=3\r\nTexto_3=Sin encabezado\r\n"
      "Encab_4=5\r\nCampo_4=3\r\nTexto_4=Alfa de nuevo\r\n"
      "Encab_5=x\r\nCampo_5=0\r\nTexto_5=Numero cero\r\n"
      "Encab_6=8\r\nCampo_6=4\r\nTexto_6=\r\n"
      "Encab_101=1\r\nEncab_21=2\r\n"
      "[Otra]\r\nEncab_1=1\r\n";
  struct Case {
    const char* what;
    std::string text;
    std::vector<Push> pushes;
  } cases[] = {
      {"frame file", frameFile,
       {Frame(-7, "Facturas"), Frame(-99, "Nueva"), Frame(-10, "Recibos"), Frame(-10, "Recibos"), Frame(-12, ""),
        Frame(-13, " Saldos ")}},
      {"task-panel file", panelFile,
       {Task(6, 3, "Beta"), Task(5, 3, "Alfa"), Task(0, 3, "Cero"), Task(8, 4, "Cuatro"), Task(8, 4, "Cuatro bis")}},
      {"task-panel file read as a frame file", panelFile, {Frame(3, "Tres"), Frame(4, "Cuatro")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string stepwise = dir.File("stepwise.ini"), oneStep = dir.File("onestep.ini");
    WriteFileText(stepwise, c.text);
    WriteFileText(oneStep, c.text);
    for (std::size_t i = 0; i < c.pushes.size(); ++i) {
      const Push& p = c.pushes[i];
      recent_test::StepwisePushRecentItem(stepwise, p.identity, p.header, p.number, p.text);
      Apply(oneStep, p);
      EXPECT_EQ(Visible(oneStep), Visible(stepwise)) << "after push " << i + 1;
    }
  }
}

TEST(RecentUpdate, LineBreaksAndNulsCannotSplitTheLine) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  app::PushRecentItem(file, kFrame, 0, -7, "uno\r\n[X]\r\nCampo_5=1");
  EXPECT_EQ(SortedSection(file), Sorted(FrameSlots({{-7, "uno  [X]  Campo_5=1"}})));
  app::PushRecentItem(file, kFrame, 0, -8, "dos\n[Y]\nCampo_6=1");  // the whole-section path
  EXPECT_EQ(SortedSection(file), Sorted(FrameSlots({{-8, "dos [Y] Campo_6=1"}, {-7, "uno  [X]  Campo_5=1"}})));
  app::PushRecentItem(file, kFrame, 0, -9, std::string("tres\0Campo_9=1", 14));
  EXPECT_EQ(app::RecentSlotText(file, 1), "tres");
  EXPECT_EQ(SectionLines(file).size(), 6u);
  char names[1024] = {};
  const DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str());
  EXPECT_EQ(std::string(names, n), std::string("RECIENTES.\0", 11)) << "no section was injected";
}

TEST(RecentUpdate, DuplicateAndValuelessKeysLeaveOneOfEach) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file,
                "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n"
                "Campo_2=-8\r\nTexto_2=Duplicado\r\nCampo_3\r\nTexto_3=Sin numero\r\n");
  app::PushRecentItem(file, kFrame, 0, -12, "Subdiario");
  // The first of two equal keys is the one a read finds; a slot without a number keeps
  // its place by its text, with number 0 (a popup choice of it does nothing).
  EXPECT_EQ(SortedSection(file),
            Sorted(FrameSlots({{-12, "Subdiario"}, {-10, "Recibos"}, {-7, "Facturas"}, {0, "Sin numero"}})));
}

TEST(RecentUpdate, GarbageAndLeftoverScratchFiles) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, std::string("\x01\x02junk\r\nno section here\r\n\xff\xfe\r\n", 29));
  WriteFileText(file + "~", "[RECIENTES.]\r\nCampo_1=55\r\nTexto_1=stale scratch\r\n");
  app::PushRecentItem(file, kFrame, 0, -7, "Facturas");
  app::PushRecentItem(file, kFrame, 0, -8, "Notas");
  EXPECT_EQ(SortedSection(file), Sorted(FrameSlots({{-8, "Notas"}, {-7, "Facturas"}})));
  EXPECT_FALSE(FileExists(file + "~"));
}

TEST(RecentUpdate, AFileThatCannotBeWrittenLosesTheWritesSilently) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));  // a directory where the file would be
  app::PushRecentItem(file, kFrame, 0, -7, "Facturas");
  app::PushRecentItem(file, kFrame, 0, -8, "Notas");
  EXPECT_EQ(app::RecentSlotNumber(file, 1), 0);
  EXPECT_EQ(app::RecentSlotText(file, 1), "");
  EXPECT_EQ(app::RecentItemsSelection(file), std::string(20, '|'));
  EXPECT_FALSE(FileExists(file + "~"));
}

TEST(RecentUpdate, ABareFileNameIsTheFileTheProfileLayerUses) {
  // Without a directory the private-profile layer keeps the file in the Windows directory;
  // the one-step update must replace that same file.
  char name[64];
  std::snprintf(name, sizeof name, "recent_bare_%lu.ini", GetCurrentProcessId());
  app::PushRecentItem(name, kFrame, 0, -7, "Facturas");
  app::PushRecentItem(name, kFrame, 0, -8, "Notas");
  EXPECT_EQ(SortedSection(name), Sorted(FrameSlots({{-8, "Notas"}, {-7, "Facturas"}})));
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string there = std::string(windows) + "\\" + name;
  EXPECT_TRUE(FileExists(there));
  EXPECT_FALSE(FileExists(there + "~"));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, name);  // let go of the cached file
  DeleteFileA(there.c_str());
}

TEST(RecentFile, Names) {
  struct {
    const char* prefix;
    std::string user;
    std::string name;
  } cases[] = {
      {".\\RECIENTES.TaskPanel.Frame.", "zarozevi" + std::string(32, ' '), ".\\RECIENTES.TaskPanel.Frame.zarozevi.ini"},
      {".\\RECIENTES.", "Zarozevi" + std::string(12, ' '), ".\\RECIENTES.Zarozevi.ini"},
      {".\\RECIENTES.TaskPanel.", "zarozevi", ".\\RECIENTES.TaskPanel.zarozevi.ini"},
      {".\\RECIENTES.TaskPanel.Frame.", std::string(40, ' '), ".\\RECIENTES.TaskPanel.Frame..ini"},
      {".\\RECIENTES.", "", ".\\RECIENTES..ini"},
      {".\\RECIENTES.", " Juan  Perez  ", ".\\RECIENTES. Juan  Perez.ini"},
      {".\\RECIENTES.", std::string(600, 'u'), ".\\RECIENTES." + std::string(488, 'u')},
  };
  for (const auto& c : cases) EXPECT_EQ(app::RecentItemsFileName(c.prefix, c.user), c.name) << c.user;
}

TEST(RecentFile, TheNameIsRelativeToTheCurrentDirectory) {
  TempDir dir;
  testing_support::ScopedCurrentDir here(dir.path());
  const std::string file = app::RecentItemsFileName(".\\RECIENTES.", "Zarozevi  ");
  app::PushRecentItem(file, kFrame, 0, -7, "Facturas");
  app::PushRecentItem(file, kFrame, 0, -10, "Recibos");
  EXPECT_EQ(SortedSection(dir.File("RECIENTES.Zarozevi.ini")),
            Sorted(FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}})));
}

TEST(RecentSlots, ReadBack) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, IniText({{"Campo_1", "-7"}, {"Encab_1", "123456789"}, {"Texto_1", kLong150}, {"Campo_2", "abc"},
                               {"Encab_2", ""}, {"Texto_2", "\"Recibos\""}, {"Campo_3", " 42"}}));
  struct {
    int n;
    int32_t number, header;
    std::string text;
  } cases[] = {{1, -7, 123456789, kLong150.substr(0, 100)}, {2, 0, 0, "Recibos"}, {3, 42, 0, ""}, {4, 0, 0, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(app::RecentSlotNumber(file, c.n), c.number) << c.n;
    EXPECT_EQ(app::RecentSlotHeader(file, c.n), c.header) << c.n;
    EXPECT_EQ(app::RecentSlotText(file, c.n), c.text) << c.n;
  }
  EXPECT_EQ(app::RecentSlotNumber(dir.File("none.ini"), 1), 0) << "a missing file reads as zero";
}

TEST(RecentPopupString, SelectionAndSlotsOfItems) {
  auto texts = [](std::vector<std::string> t) {
    t.resize(app::kRecentSlots);
    return t;
  };
  struct {
    const char* what;
    std::vector<std::string> texts;
    std::string selection;
    std::vector<int> slots;
  } cases[] = {
      {"stored texts in slot order", texts({"Facturas", "Recibos"}), "|Facturas|Recibos" + std::string(18, '|'), {1, 2}},
      {"no text: no item", texts({}), std::string(20, '|'), {}},
      {"a blank slot 1 makes no item, and item 1 is slot 2", texts({"  ", "Facturas", "Recibos"}),
       "||Facturas|Recibos" + std::string(17, '|'), {2, 3}},
      {"a blank slot in the middle (hand-edited)", texts({"A", "", "C"}), "|A||C" + std::string(17, '|'), {1, 3}},
      {"a text with a bar makes two items of one slot", texts({"a|b", "c"}), "|a|b|c" + std::string(18, '|'), {1, 1, 2}},
      {"trailing blanks are dropped before each bar", texts({"A  ", "B"}), "|A|B" + std::string(18, '|'), {1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const app::RecentChoices got = app::BuildRecentChoices(c.texts);
    EXPECT_EQ(got.selection, c.selection);
    EXPECT_EQ(got.slotOfItem, c.slots);
  }
  // 20 texts of 100 characters: the string stops at 1000, the tenth item shortened.
  std::vector<std::string> full;
  for (int n = 1; n <= 20; ++n) full.push_back(std::string(100, static_cast<char>('A' + n - 1)));
  const app::RecentChoices got = app::BuildRecentChoices(full);
  EXPECT_EQ(got.selection.size(), app::kRecentPopupCapacity);
  EXPECT_EQ(got.selection.substr(909), "|" + std::string(90, 'J'));
  EXPECT_EQ(got.slotOfItem, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(RecentPopupString, FromTheFile) {
  TempDir dir;
  const std::string file = dir.File("r.ini");
  EXPECT_EQ(app::RecentItemsSelection(file), std::string(20, '|')) << "no file";
  EXPECT_FALSE(FileExists(file));
  WriteFileText(file, IniText(FrameSlots({{-10, "Recibos"}, {-7, "Facturas"}, {-12, kLong150}})));
  EXPECT_EQ(app::RecentItemsSelection(file),
            "|Recibos|Facturas|" + kLong150.substr(0, 100) + std::string(17, '|'));
}

}  // namespace
