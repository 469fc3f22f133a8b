// The private-profile file held in memory against the real private-profile layer: the same
// key writes on the same bytes leave the same bytes, and reads find the same values, for
// files as the programs write them and for hand-edited and damaged ones.
#include <gtest/gtest.h>

#include <optional>

#include "runtime/ini_entry.h"
#include "runtime/profile_image.h"
#include "test_support.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileText;
using testing_support::TempDir;
using testing_support::WriteFileText;

struct Op {
  const char* section;
  const char* key;
  std::optional<std::string> value;  // none: delete
};

const Op kOps[] = {
    {"RECIENTES.", "Campo_1", "-8"},
    {"RECIENTES.", "Texto_1", "  Nuevo texto  "},
    {"RECIENTES.", "Encab_7", "5"},
    {"RECIENTES.", "Campo_2", std::nullopt},
    {"RECIENTES.", "Texto_2", std::nullopt},
    {"RECIENTES.", "Campo_2", "-7"},
    {"RECIENTES.", "Campo_1", "-8"},
    {"Otra", "clave", ""},
    {"RECIENTES.", "NoHay", std::nullopt},
    {"recientes.", "TEXTO_3", "x"},
    {"RECIENTES.", "Texto_3", "'citado'"},
    {"Nueva", "k", "v"},
    {"RECIENTES.", "Campo_1", std::nullopt},
    {"RECIENTES.", "Campo_1", "-9"},
};

const char* const kReadKeys[] = {"Campo_1", "Texto_1", "Campo_2", "Texto_2", "Texto_3", "Encab_7", "NoHay", "", "x"};

TEST(ProfileImage, LeavesWhatTheKeyWritesOfThePrivateProfileLayerLeave) {
  const std::string big(1024 * 1024, 'm');
  // The last byte stands alone, inside Texto_3's value. The layer makes a character of it
  // with the byte that follows its read buffer in memory as the high half; past 512 KB that
  // buffer lies in fresh zeroed pages, so the layer's result is the same in every run.
  auto oddUtf16 = [](bool little) {
    const std::string text = "[RECIENTES.]\r\nTexto_1=" + std::string(300 * 1000, 'u') + "\r\nCampo_1=5\r\nTexto_3=ab";
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out + 'x';
  };
  struct Case {
    const char* what;
    std::optional<std::string> bytes;  // none: no file
  } cases[] = {
      {"no file", std::nullopt},
      {"an empty file", std::string()},
      {"a list as the programs write it",
       "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibos\r\nCampo_2=-7\r\nTexto_2=Facturas\r\nCampo_3=-8\r\nTexto_3=Notas\r\n"},
      {"comments, blank lines, spacing, lines without a value or a name",
       "; first\r\n\r\n  [RECIENTES.]  \r\n; inside\r\n  Campo_1 =   -10   \r\n\r\nsin igual\r\n=uno\r\n=dos\r\n"
       "Texto_1=\"Recibos\"\r\n\t\r\nTexto_2='x'\r\n[Otra]\r\nclave = 1\r\n\r\n"},
      {"sections named twice, in other cases and spacing",
       "[RECIENTES.]\r\nCampo_1=1\r\n[ recientes. ]\r\nCampo_2=2\r\nTexto_2=dos\r\n[Otra]\r\nclave=x\r\n[RECIENTES.]\r\nTexto_3=tres\r\n"},
      {"keys in other cases, twice", "[RECIENTES.]\r\ncampo_1=1\r\nCAMPO_1=2\r\nTexto_2=a\r\ntexto_2=b\r\n"},
      {"lines before any section", "Campo_1=suelto\r\n;c\r\n[RECIENTES.]\r\nCampo_1=1\r\n"},
      {"no section of its own", "[Otra]\r\nclave=1\r\n"},
      {"LF-only lines", "[RECIENTES.]\nCampo_1=-10\nTexto_1=Recibos\nCampo_2=-7\n"},
      {"CR-only lines", "[RECIENTES.]\rCampo_1=-10\rTexto_1=Recibos\r"},
      {"a UTF-8 mark", "\xEF\xBB\xBF[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Caf\xC3\xA9\r\n"},
      {"a UTF-16 mark", std::string("\xFF\xFE[\0R\0E\0C\0I\0E\0N\0T\0E\0S\0.\0]\0\r\0\n\0C\0a\0m\0p\0o\0_\0001\0=\0005\0\r\0\n\0", 52)},
      {"garbage bytes", std::string("\x01\x02junk\r\nno section\r\n\xE9\xFF\x80\r\n[RECIENTES.]\r\nTexto_1=\xF1\xE1\r\n", 47)},
      {"a NUL inside a value", std::string("[RECIENTES.]\r\nTexto_1=ab\0cd\r\nCampo_1=1\r\n", 40)},
      {"broken section headers", "[RECIENTES.\r\nCampo_1=1\r\n[RECIENTES.]tail\r\nCampo_2=2\r\n[]\r\nx=y\r\n"},
      {"a 1 MB value", "[RECIENTES.]\r\nTexto_1=" + big + "\r\nCampo_1=1\r\n"},
      {"UTF-16 with an odd byte count, little-endian", oddUtf16(true)},
      {"UTF-16 with an odd byte count, big-endian", oddUtf16(false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string file = dir.File("layer.ini");
    if (c.bytes) WriteFileText(file, *c.bytes);
    rt::ProfileImage image = c.bytes ? rt::ProfileImage::FromBytes(*c.bytes) : rt::ProfileImage();
    const std::string unchanged = c.bytes.value_or("");
    for (std::size_t i = 0; i < std::size(kOps); ++i) {
      const Op& op = kOps[i];
      SCOPED_TRACE("after write " + std::to_string(i + 1) + ": " + op.key);
      const std::optional<std::string_view> value = op.value ? std::optional<std::string_view>(*op.value) : std::nullopt;
      rt::WriteIniEntry(op.section, op.key, value, file);
      image.Write(op.section, op.key, value);
      const bool fileExists = FileExists(file);
      EXPECT_EQ(image.changed() || c.bytes.has_value(), fileExists);
      if (fileExists) {
        EXPECT_EQ(image.changed() ? image.Bytes() : unchanged, ReadFileText(file));
      }
      for (const char* key : kReadKeys)
        for (const char* def : {"", "0", "d  "})
          EXPECT_EQ(image.Read("RECIENTES.", key, def), rt::ReadIniEntry("RECIENTES.", key, def, file)) << key;
      EXPECT_EQ(image.Read("Otra", "clave", "-"), rt::ReadIniEntry("Otra", "clave", "-", file));
    }
  }
}

TEST(ProfileImage, ASectionWithMostOfItsKeysDeletedReadsAsTheLayerReadsIt) {
  // Deleted keys are kept in place until most of a long section is deleted, then cleared
  // out: keys found, written again and added after that must be the layer's.
  std::string text = "[RECIENTES.]\r\n";
  for (int i = 0; i < 100; ++i) text += "k" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  text += "k7=second\r\n[Otra]\r\nclave=1\r\n";
  TempDir dir;
  const std::string file = dir.File("layer.ini");
  WriteFileText(file, text);
  rt::ProfileImage image = rt::ProfileImage::FromBytes(text);
  auto write = [&](const std::string& key, std::optional<std::string_view> value) {
    rt::WriteIniEntry("RECIENTES.", key, value, file);
    image.Write("RECIENTES.", key, value);
  };
  for (int i = 0; i < 80; ++i)
    if (i != 7) write("k" + std::to_string(i), std::nullopt);
  write("k5", "again");
  write("k90", "changed");
  write("k200", "added");
  write("k7", std::nullopt);
  EXPECT_EQ(image.Bytes(), ReadFileText(file));
  for (int i = 0; i <= 200; ++i) {
    const std::string key = "k" + std::to_string(i);
    EXPECT_EQ(image.Read("RECIENTES.", key, "-"), rt::ReadIniEntry("RECIENTES.", key, "-", file)) << key;
  }
}

TEST(ProfileImage, AWriteThatChangesNothingLeavesItUnchanged) {
  const std::string text = "[RECIENTES.]\nCampo_1=-10\n  Texto_1 = Recibos \n";
  rt::ProfileImage image = rt::ProfileImage::FromBytes(text);
  image.Write("RECIENTES.", "campo_1", "-10");
  image.Write("RECIENTES.", "Texto_1", "  Recibos");
  image.Write("RECIENTES.", "Encab_1", std::nullopt);
  image.Write("Otra", "k", std::nullopt);
  EXPECT_FALSE(image.changed());
  image.Write("RECIENTES.", "Texto_1", "Recibo");
  EXPECT_TRUE(image.changed());
  EXPECT_EQ(image.Bytes(), "[RECIENTES.]\r\nCampo_1=-10\r\nTexto_1=Recibo\r\n");
}

}  // namespace
