// The recent-item store against real files through the private-profile API.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "app/recent_items.h"
#include "runtime/ini_entry.h"
#include "recent_fixture.h"
#include "stepwise_update.h"
#include "test_support.h"

namespace {

using app::RecentIdentity;
using recent_test::FrameSlots;
using recent_test::IniText;
using recent_test::KeyValues;
using recent_test::ScratchLeftBeside;
using recent_test::ScratchLike;
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

const std::string kLong150 = std::string(60, 'a') + std::string(60, 'b') + std::string(30, 'c');

using SlotList = std::vector<std::pair<int, std::string>>;
// Entries from..to as (number i, "Item i"), after the given ones.
SlotList Items(int from, int to, SlotList before = {}) {
  for (int i = from; i <= to; ++i) before.emplace_back(i, "Item " + std::to_string(i));
  return before;
}

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
      EXPECT_FALSE(ScratchLeftBeside(file)) << "no scratch file is left behind";
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

// The list as the programs leave it: `count` entries, slot n holding entry `first`+n-1.
std::string ProgramFile(RecentIdentity identity, int count, int first = 1, bool slotOneEmpty = false) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = slotOneEmpty ? 2 : 1; n <= count; ++n) {
    const std::string s = std::to_string(n), e = std::to_string(first + n - 1);
    if (identity == kPanel) text += "Encab_" + s + "=" + std::to_string(7000 + (first + n) % 2) + "\r\n";
    text += "Campo_" + s + "=" + e + "\r\nTexto_" + s + "=Item " + e + "\r\n";
  }
  return text;
}

// The hand-edited files the update was first held against: key names in other cases, quoted
// and padded values, numbers that do not read as numbers, blank and tab-only texts, gaps,
// foreign keys and sections.
const std::string kHandFrameFile =
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
const std::string kHandPanelFile =
    "[RECIENTES.]\r\n"
    "Encab_1=5\r\nCampo_1=3\r\nTexto_1=Alfa\r\n"
    "encab_2='6'\r\nCampo_2=3\r\nTexto_2=Beta\r\n"
    "Campo_3=3\r\nTexto_3=Sin encabezado\r\n"
    "Encab_4=5\r\nCampo_4=3\r\nTexto_4=Alfa de nuevo\r\n"
    "Encab_5=x\r\nCampo_5=0\r\nTexto_5=Numero cero\r\n"
    "Encab_6=8\r\nCampo_6=4\r\nTexto_6=\r\n"
    "Encab_101=1\r\nEncab_21=2\r\n"
    "[Otra]\r\nEncab_1=1\r\n";
// Lines the store does not own, between and around its own.
const std::string kForeignLines =
    "; lista de recientes\r\n[RECIENTES.]\r\n; comentario\r\nCampo_1=1\r\nTexto_1=Item 1\r\nCampo_21=5\r\n"
    "Texto_21=Extra\r\nsin valor\r\nCampo_2=2\r\nTexto_2=Item 2\r\nTexto_100=cien\r\nCampo_121=-3\r\nOtra=valor\r\n"
    "[Otra]\r\nclave=1\r\n";

// Frame entries 1..24 and back (empty, partial, full, overfull, re-chosen entries).
std::vector<Push> FillAndReturn(RecentIdentity identity) {
  std::vector<Push> pushes;
  for (int i : {1, 2, 3, 2, 2, 4, 1}) pushes.push_back({identity, 7000 + i % 2, i, "Item " + std::to_string(i)});
  for (int i = 5; i <= 24; ++i) pushes.push_back({identity, 7000 + i % 2, i, "Item " + std::to_string(i)});
  for (int i : {10, 24, 5, 5}) pushes.push_back({identity, 7000 + i % 2, i, "Item " + std::to_string(i)});
  return pushes;
}

TEST(RecentUpdate, OneStepUpdateLeavesWhatTheKeyByKeyUpdateLeaves) {
  struct Case {
    const char* what;
    std::optional<std::string> text;  // none: no file
    std::vector<Push> pushes;
  } cases[] = {
      {"frame file from nothing to full and on", std::nullopt, FillAndReturn(kFrame)},
      {"task-panel file from nothing to full and on", std::nullopt, FillAndReturn(kPanel)},
      {"an empty file", std::string(), {Frame(-7, "Facturas"), Frame(-10, "Recibos")}},
      {"full frame file, slot 1 empty", ProgramFile(kFrame, 20, 1, true), {Frame(30, "Nueva"), Frame(31, "Otra")}},
      {"full task-panel file, slot 1 empty", ProgramFile(kPanel, 20, 1, true), {Task(9, 30, "Nueva"), Task(9, 31, "Otra")}},
      {"full file, the entry of slot 1 again with a new text", ProgramFile(kFrame, 20),
       {Frame(1, "Item 1 nuevo"), Frame(1, "Item 1")}},
      {"comments, foreign keys and other sections", kForeignLines,
       {Frame(3, "Item 3"), Frame(1, "Item 1"), Frame(2, "Item 2 bis"), Frame(2, "Item 2 bis")}},
      {"hand-edited frame file", kHandFrameFile,
       {Frame(-7, "Facturas"), Frame(-99, "Nueva"), Frame(-10, "Recibos"), Frame(-10, "Recibos"), Frame(-12, ""),
        Frame(-13, " Saldos ")}},
      {"hand-edited task-panel file", kHandPanelFile,
       {Task(6, 3, "Beta"), Task(5, 3, "Alfa"), Task(0, 3, "Cero"), Task(8, 4, "Cuatro"), Task(8, 4, "Cuatro bis")}},
      {"task-panel file read as a frame file", kHandPanelFile, {Frame(3, "Tres"), Frame(4, "Cuatro")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string stepwise = dir.File("stepwise.ini"), oneStep = dir.File("onestep.ini");
    if (c.text) {
      WriteFileText(stepwise, *c.text);
      WriteFileText(oneStep, *c.text);
    }
    for (std::size_t i = 0; i < c.pushes.size(); ++i) {
      const Push& p = c.pushes[i];
      recent_test::StepwisePushRecentItem(stepwise, p.identity, p.header, p.number, p.text);
      Apply(oneStep, p);
      ASSERT_EQ(ReadFileText(oneStep), ReadFileText(stepwise)) << "after push " << i + 1;
    }
  }
}

// Titles of this run's tasks as the re-binding is given them.
std::vector<app::RecentTask> RunTasks(int32_t run) {
  std::vector<app::RecentTask> tasks;
  int i = 0;
  for (const char* title : {"Item 1", "Item 3", "Item 4", "Recibos", "Facturas", "Sin numero", "Alfa", "Beta"})
    tasks.push_back({run, run * 10 + i++, title});
  return tasks;
}

TEST(RecentRebind, LeavesWhatTheKeyByKeyRebindingLeaves) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"a full task-panel file, ids of an earlier run", ProgramFile(kPanel, 20)},
      {"titles with trailing blanks and in quotes, the same title twice",
       "[RECIENTES.]\r\nEncab_1=1\r\nCampo_1=2\r\nTexto_1=\"Item 1   \"\r\nEncab_2=1\r\nCampo_2=3\r\nTexto_2=Item 1\r\n"
       "Texto_3=Item 3\r\nEncab_4=9\r\nCampo_4=9\r\nTexto_4=Item 4 bis\r\nEncab_21=1\r\nCampo_21=1\r\nTexto_21=Item 1\r\n"},
      {"comments, foreign keys and other sections", kForeignLines},
      {"a frame file (no Encab_ keys yet)", ProgramFile(kFrame, 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string stepwise = dir.File("stepwise.ini"), oneStep = dir.File("onestep.ini");
    WriteFileText(stepwise, c.text);
    WriteFileText(oneStep, c.text);
    for (int32_t run : {100, 200, 200, 300}) {
      std::vector<app::RecentTask> tasks = RunTasks(run);
      if (run == 300) tasks.push_back({run, run * 10 + 99, "Item 1  "});  // two tasks of one title
      recent_test::StepwiseRebind(stepwise, tasks);
      app::RebindRecentItems(oneStep, tasks);
      ASSERT_EQ(ReadFileText(oneStep), ReadFileText(stepwise)) << "run " << run;
    }
  }
}

TEST(RecentRebind, NothingIsWrittenWhenNoStoredValueChanges) {
  TempDir dir;
  // No file: nothing matches, and no file is made.
  const std::string none = dir.File("none.ini");
  app::RebindRecentItems(none, RunTasks(1));
  EXPECT_FALSE(FileExists(none));
  // Ids that are already this run's, and an update that only records slot 1's entry with
  // its own text again: the file keeps its bytes (its LF-only lines too).
  const std::string file = dir.File("same.ini");
  const std::string text = "[RECIENTES.]\nEncab_1=5\nCampo_1=50\nTexto_1=Item 1\nEncab_2=5\nCampo_2=51\nTexto_2=Item 3\n";
  WriteFileText(file, text);
  app::RebindRecentItems(file, {{5, 50, "Item 1"}, {5, 51, "Item 3"}});
  app::PushRecentItem(file, kPanel, 5, 50, "Item 1");
  EXPECT_EQ(ReadFileText(file), text);
  EXPECT_FALSE(ScratchLeftBeside(file));
}

// One change on each road: a full update, a slot-1-only update and a re-binding, done once by
// the store and once key by key for reference.
struct Road {
  const char* what;
  void (*run)(const std::string& file, bool keyByKey);
};
const Road kRoads[] = {
    {"full update",
     [](const std::string& file, bool keyByKey) {
       if (keyByKey) recent_test::StepwisePushRecentItem(file, kFrame, 0, -99, "Nueva");
       else app::PushRecentItem(file, kFrame, 0, -99, "Nueva");
     }},
    {"slot-1-only update",
     [](const std::string& file, bool keyByKey) {
       const int32_t first = app::RecentSlotNumber(file, 1);
       const int32_t number = first != 0 ? first : -98;
       if (keyByKey) recent_test::StepwisePushRecentItem(file, kFrame, 0, number, "Otra vez");
       else app::PushRecentItem(file, kFrame, 0, number, "Otra vez");
     }},
    {"re-binding",
     [](const std::string& file, bool keyByKey) {
       if (keyByKey) recent_test::StepwiseRebind(file, RunTasks(300));
       else app::RebindRecentItems(file, RunTasks(300));
     }},
};

TEST(RecentFileRoads, AHiddenFileStaysHiddenAndAReadOnlyOneIsLeftAsItIs) {
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.what);
    TempDir dir;
    const std::string reference = dir.File("reference.ini"), hidden = dir.File("hidden.ini"),
                      readOnly = dir.File("readonly.ini");
    for (const std::string& f : {reference, hidden, readOnly}) WriteFileText(f, ProgramFile(kFrame, 20));
    const std::string before = ReadFileText(readOnly);
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    road.run(reference, true);
    road.run(hidden, false);
    road.run(readOnly, false);
    ASSERT_NE(ReadFileText(reference), before) << "the road changes the file";
    EXPECT_EQ(ReadFileText(hidden), ReadFileText(reference));
    EXPECT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ReadFileText(readOnly), before);
    EXPECT_TRUE(GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const std::string& f : {hidden, readOnly}) EXPECT_FALSE(ScratchLeftBeside(f)) << f;
  }
}

TEST(RecentFileRoads, DamagedFilesEndAsTheKeyByKeyRoadLeavesThem) {
  const std::string big(1 << 20, 'm');
  struct Case {
    const char* what;
    std::string text;
    bool leftoverScratch = false;
  } cases[] = {
      {"garbage bytes",
       std::string("\x01\x02junk\r\nno section here\r\n\xE9\xFF\r\n[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\n"
                   "\x80\x81=\x90\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n")},
      {"a 1 MB value", "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=" + big + "\r\nCampo_2=-7\r\nTexto_2=Facturas\r\n"},
      {"numbers that are not numbers",
       "[RECIENTES.]\r\nCampo_1=abc\r\nTexto_1=Recibos\r\nCampo_2=12abc\r\nTexto_2=Facturas\r\nCampo_3=99999999999\r\n"
       "Texto_3=Item 3\r\nEncab_3=x\r\n"},
      {"leftover temporary keys", ProgramFile(kFrame, 20) + "Campo_101=-9\r\nTexto_101=Notas\r\nCampo_120=5\r\nTexto_120=x\r\n"},
      {"no section of its own", "[Otra]\r\nclave=1\r\n"},
      {"keys before any section", "Campo_1=-7\r\nTexto_1=Suelto\r\n[Otra]\r\nclave=1\r\n"},
      {"duplicate keys",
       "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\nCampo_2=-7\r\nTexto_2=Facturas\r\nCampo_2=-8\r\n"
       "Texto_2=Duplicado\r\nCampo_3\r\nTexto_3=Sin numero\r\n"},
      {"LF-only lines", "[RECIENTES.]\nCampo_1=-10\nTexto_1=Recibos\nCampo_2=-7\nTexto_2=Facturas\n"},
      {"a UTF-8 mark", "\xEF\xBB\xBF[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\nCampo_2=-7\r\nTexto_2=Caf\xC3\xA9\r\n"},
      {"a leftover scratch file", ProgramFile(kFrame, 20), true},
  };
  for (const Road& road : kRoads) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(road.what) + ", " + c.what);
      TempDir dir;
      const std::string reference = dir.File("reference.ini"), file = dir.File("RECIENTES.x.ini");
      WriteFileText(reference, c.text);
      WriteFileText(file, c.text);
      // A scratch file of a writer killed before its rename (no process has that id).
      const std::string leftover = ScratchLike(file, 0xFFFFFFF0, 0);
      if (c.leftoverScratch) {
        WriteFileText(leftover, "[RECIENTES.]\r\nCampo_1=55\r\nTexto_1=stale scratch\r\n");
        SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN);
        recent_test::AgeScratchFiles(file);
      }
      road.run(reference, true);
      road.run(file, false);
      EXPECT_EQ(ReadFileText(file), ReadFileText(reference));
      EXPECT_FALSE(FileExists(leftover));
      EXPECT_FALSE(ScratchLeftBeside(file));
    }
  }
}

TEST(RecentFileRoads, ADirectoryWhereTheFileWouldBeTakesNoWrite) {
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.what);
    TempDir dir;
    const std::string file = dir.File("r.ini");
    ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    road.run(file, false);
    road.run(file, false);
    EXPECT_EQ(app::RecentSlotNumber(file, 1), 0);
    EXPECT_EQ(app::RecentItemsSelection(file), std::string(20, '|'));
    EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(ScratchLeftBeside(file));
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

TEST(RecentUpdate, AReadRightAfterAnUpdateSeesTheNewList) {
  // The private-profile layer caches a file it has read and checks it against the time of
  // the last write alone; updates in quick succession, each read back at once by the store
  // and through the layer, must never show the list before the update.
  TempDir dir;
  const std::string file = dir.File("r.ini");
  WriteFileText(file, IniText(FrameSlots(Items(1, 20))));
  for (int i = 0; i < 60; ++i) {
    const int32_t number = 100 + i % 3;
    app::PushRecentItem(file, kFrame, 0, number, "Item " + std::to_string(number));
    ASSERT_EQ(app::RecentSlotNumber(file, 1), number) << "update " << i + 1;
    ASSERT_EQ(rt::ReadIniEntry(app::kRecentSection, "Campo_1", "", file), std::to_string(number)) << "update " << i + 1;
    app::PushRecentItem(file, kFrame, 0, number, "Otro " + std::to_string(i));
    ASSERT_EQ(app::RecentSlotText(file, 1), "Otro " + std::to_string(i)) << "update " << i + 1;
    ASSERT_EQ(rt::ReadIniEntry(app::kRecentSection, "Texto_1", "", file), "Otro " + std::to_string(i))
        << "update " << i + 1;
  }
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
  EXPECT_FALSE(ScratchLeftBeside(there));
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
