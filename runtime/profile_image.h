#pragma once
// A private-profile (INI) file held in memory. It is read from the file's bytes and written
// back the way the private-profile layer reads and writes a file, and ReadIniEntry and
// WriteIniEntry work on it as they work on the file: key and section names match without
// regard to case, the first section and the first key of a name count, a new key goes to
// the end of its section and a new section to the end of the file, and a write that changes
// nothing changes nothing. So a run of single-key writes replayed on an image leaves the
// bytes those writes would leave in the file, and the image can then be put in place at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

class ProfileImage {
 public:
  ProfileImage() = default;  // a file that does not exist yet
  static ProfileImage FromBytes(std::string_view bytes);

  // The file's bytes as the private-profile layer writes them.
  std::string Bytes() const;

  // As ReadIniEntry on the file.
  std::string Read(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // As WriteIniEntry on the file; without a value the key is deleted.
  void Write(std::string_view section, std::string_view key, std::optional<std::string_view> value);

  // Whether a write has changed anything since the image was read.
  bool changed() const { return changed_; }

 private:
  enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
  struct Key {
    std::wstring name;
    std::optional<std::wstring> value;  // none: a line without "="
  };
  struct Section {
    std::wstring name;  // empty for the lines before the first section
    std::vector<Key> keys;
  };

  void Changed();
  Section* FindSection(std::wstring_view name);
  const Section* FindSection(std::wstring_view name) const;

  Encoding encoding_ = Encoding::Ansi;
  std::vector<Section> sections_{Section{}};
  bool changed_ = false;
};

}  // namespace rt
