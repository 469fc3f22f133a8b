#pragma once
// A private-profile (INI) file held in memory. It is read from the file's bytes and written
// back the way the private-profile layer reads and writes a file, and ReadIniEntry and
// WriteIniEntry work on it as they work on the file: key and section names match without
// regard to case, the first section and the first key of a name count, a new key goes to
// the end of its section and a new section to the end of the file, and a write that changes
// nothing changes nothing. So a run of single-key writes replayed on an image leaves the
// bytes those writes would leave in the file, and the image can then be put in place at once.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

class ProfileImage {
 public:
  ProfileImage() = default;  // a file that does not exist yet
  ProfileImage(ProfileImage&& other) noexcept { Swap(other); }
  ProfileImage& operator=(ProfileImage&& other) noexcept {
    Swap(other);
    return *this;
  }
  ProfileImage(const ProfileImage&) = delete;
  ProfileImage& operator=(const ProfileImage&) = delete;
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
  static constexpr std::uint32_t kNameHashStart = 0;  // the hash of an empty name
  static constexpr std::uint32_t kDeletedHash = 0xFFFFFFFF;
  // Names and values are views of text the image keeps (storage_), so that reading a file,
  // adding a key and deleting one allocate next to nothing; the text lives as long as the
  // image, which is made for one edit.
  struct Key {
    std::wstring_view name;
    std::wstring_view value;
    bool hasValue = false;  // no: a line without "="
    // Of the name without regard to case, so that most lookups stop here; a deleted key is
    // kept in place (until many are) with a hash no name has, so that a delete moves nothing.
    std::uint32_t hash = kNameHashStart;
    bool deleted() const { return hash == kDeletedHash; }
  };
  struct Section {
    std::wstring_view name;  // empty for the lines before the first section
    std::vector<Key> keys;
    std::size_t deleted = 0;
    std::uint32_t hash = kNameHashStart;
    // The keys by the hash of their names, so that a lookup (and a new key, which is looked
    // for first) does not go through the whole section: open addressing, each entry 1 + a
    // key's position, 0 for none. Keys enter in the order of their positions, so the first
    // key of a name is met first; a deleted key stays in it until it is made anew.
    std::vector<std::uint32_t> index;
    std::size_t indexed = 0;
  };

  struct Name;

  // A copy of `s` (ASCII or wide) in the image's own storage.
  template <class C>
  std::wstring_view Keep(std::basic_string_view<C> s);
  std::wstring_view Keep(const std::wstring& s) { return Keep(std::wstring_view(s)); }

  void Swap(ProfileImage& other) noexcept;
  void Changed();
  Section* FindSection(const Name& name);
  const Section* FindSection(const Name& name) const;
  static const Key* FindKey(const Section& section, const Name& name);
  static Key* FindKey(Section& section, const Name& name);
  static void AddKey(Section& section, const Key& key);
  static void Reindex(Section& section);

  std::vector<std::unique_ptr<wchar_t[]>> storage_;
  wchar_t* storageFree_ = nullptr;
  std::size_t storageLeft_ = 0;
  Encoding encoding_ = Encoding::Ansi;
  std::vector<Section> sections_{Section{}};
  bool changed_ = false;
};

}  // namespace rt
