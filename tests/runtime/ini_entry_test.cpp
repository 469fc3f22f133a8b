#include <gtest/gtest.h>

#include "runtime/ini_entry.h"
#include "test_support.h"

namespace {
using testing_support::TempDir;

TEST(IniEntry, ReadsWritesAndDeletesWithTrailingBlanksRemoved) {
  TempDir dir;
  const std::string file = dir.File("x.ini") + "   ";
  EXPECT_EQ(rt::ReadIniEntry("S", "K", "def", file), "def") << "missing file gives the default";
  rt::WriteIniEntry("S  ", "K ", std::string_view("value   "), file);
  EXPECT_EQ(testing_support::IniValue(dir.File("x.ini"), "S", "K"), "value");
  rt::WriteIniEntry("S", "E", std::string_view(""), file);
  EXPECT_EQ(rt::ReadIniEntry("S", "E", "def", file), "") << "an empty value is a value";
  rt::WriteIniEntry("S", "K", std::nullopt, file);
  EXPECT_EQ(rt::ReadIniEntry("S", "K", "gone", file), "gone");
}

TEST(IniEntry, ValuesAreCutTo1023Characters) {
  TempDir dir;
  const std::string file = dir.File("long.ini");
  rt::WriteIniEntry("S", "K", std::string(3000, 'x'), file);
  EXPECT_EQ(rt::ReadIniEntry("S", "K", "", file).size(), 1023u);
}

TEST(IniEntry, NumbersConvertLikeTheProgramsLong) {
  struct {
    const char* text;
    int32_t value;
  } cases[] = {{"-7", -7}, {"  42", 42}, {"", 0}, {"abc", 0}, {"12abc", 12}, {"99999999999", INT32_MAX},
               {"-99999999999", INT32_MIN}};
  for (const auto& c : cases) EXPECT_EQ(rt::ToLong(c.text), c.value) << c.text;
}

}  // namespace
