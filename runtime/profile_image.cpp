#include "profile_image.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "ini_entry.h"

namespace rt {
namespace {

template <class C>
bool IsProfileSpace(C ch) {
  const auto c = static_cast<std::make_unsigned_t<C>>(ch);
  return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == ' ';
}

template <class C>
std::basic_string_view<C> Trim(std::basic_string_view<C> s) {
  while (!s.empty() && IsProfileSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsProfileSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values are C strings to the layer: a NUL ends them.
template <class C>
std::basic_string_view<C> UpToNul(std::basic_string_view<C> s) {
  return s.substr(0, s.find(C{}));
}

wchar_t FoldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// A hash of a name that two names equal without regard to case share, made of its length and
// of its first and last two characters: the names of a list differ there, and it costs the
// same for every name.
constexpr std::uint32_t kEmptyNameHash = 0, kLiveHashes = 0x7FFFFFFF;

template <class C>
std::uint32_t NameHash(std::basic_string_view<C> s) {
  if (s.empty()) return kEmptyNameHash;
  auto at = [&](std::size_t i) {
    return static_cast<std::uint32_t>(FoldCase(static_cast<wchar_t>(static_cast<std::make_unsigned_t<C>>(s[i]))));
  };
  const std::size_t n = s.size();
  return ((static_cast<std::uint32_t>(n) * 0x9E3779B1u) ^ at(0) ^ (at(n - 1) << 16) ^ (n > 1 ? at(n - 2) << 8 : 0)) &
         kLiveHashes;
}

// Compares a name held with one given as wide text, or as ASCII, which widens unchanged.
template <class C>
bool SameName(std::wstring_view a, std::basic_string_view<C> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(static_cast<wchar_t>(static_cast<std::make_unsigned_t<C>>(b[i])))) return false;
  return true;
}

// Without the trailing blanks the programs' strings carry.
std::string_view TrimRightView(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Plain ASCII (every key name and number the programs write) converts the same in every
// code page; only other text goes through the conversion calls.
std::wstring Widen(std::string_view s, UINT codePage) {
  if (IsAscii(s)) return std::wstring(s.begin(), s.end());
  const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view s, UINT codePage) {
  bool ascii = true;
  for (wchar_t c : s) ascii = ascii && c < 0x80;
  if (ascii) return std::string(s.begin(), s.end());
  const int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

ProfileImage ProfileImage::FromBytes(std::string_view bytes) {
  static_assert(kNameHashStart == kEmptyNameHash && (kDeletedHash & kLiveHashes) != kDeletedHash);
  ProfileImage image;
  std::wstring text;
  if (bytes.substr(0, 3) == kUtf8Mark) {
    image.encoding_ = Encoding::Utf8;
    text = Widen(bytes.substr(3), CP_UTF8);
  } else if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    const bool little = bytes[0] == '\xFF';
    image.encoding_ = little ? Encoding::Utf16Le : Encoding::Utf16Be;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
      const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
      text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
    }
    // An odd last byte is the low half of one more character in either byte order; the
    // layer takes its high half from memory past the file, zero where that memory is clean.
    if (bytes.size() % 2 == 1) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes.back())));
  } else {
    text = Widen(bytes, CP_ACP);
  }

  // Lines end at any run of CR and LF; blank lines are not kept; "[name]" opens a section;
  // any other line is a key, with a value when it holds "=". A key without a name right
  // after another one without a name is not kept.
  const std::wstring_view all = image.Keep(text);
  std::size_t next = 0;
  while (next < all.size()) {
    const std::size_t start = next;
    while (next < all.size() && all[next] != L'\n' && all[next] != L'\r') ++next;
    std::wstring_view line = Trim(all.substr(start, next - start));
    while (next < all.size() && (all[next] == L'\n' || all[next] == L'\r')) ++next;
    if (line.empty()) continue;
    if (line.front() == L'[') {
      const std::size_t close = line.rfind(L']');
      if (close != std::wstring_view::npos) {
        const std::wstring_view name = UpToNul(Trim(line.substr(1, close - 1)));
        image.sections_.push_back(Section{name, {}, 0, NameHash(name), {}, 0});
        continue;
      }
    }
    Key key;
    const std::size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) {
      key.name = UpToNul(line);
    } else {
      key.name = UpToNul(Trim(line.substr(0, eq)));
      key.value = UpToNul(Trim(line.substr(eq + 1)));
      key.hasValue = true;
    }
    key.hash = NameHash(key.name);
    std::vector<Key>& keys = image.sections_.back().keys;
    const bool unnamed = eq != std::wstring_view::npos && Trim(line.substr(0, eq)).empty();
    if (unnamed && !keys.empty() && keys.back().name.empty()) continue;
    keys.push_back(std::move(key));
  }
  for (Section& section : image.sections_) Reindex(section);
  return image;
}

std::string ProfileImage::Bytes() const {
  std::wstring text;
  for (const Section& s : sections_) {
    if (!s.name.empty()) {
      text += L'[';
      text += s.name;
      text += L"]\r\n";
    }
    for (const Key& k : s.keys) {
      if (k.deleted()) continue;
      text += k.name;
      if (k.hasValue) {
        text += L'=';
        text += k.value;
      }
      text += L"\r\n";
    }
  }
  switch (encoding_) {
    case Encoding::Ansi:
      return Narrow(text, CP_ACP);
    case Encoding::Utf8:
      return kUtf8Mark + Narrow(text, CP_UTF8);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
      const bool little = encoding_ == Encoding::Utf16Le;
      std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
      for (wchar_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>((c >> 8) & 0xFF);
        out.push_back(little ? lo : hi);
        out.push_back(little ? hi : lo);
      }
      return out;
    }
  }
  return {};
}

// A section or key name given to a read or a write, as the layer takes it: blanks around it do
// not count, and a write's names end at a NUL. ASCII names (every name the programs use) stay
// as given: widened they would compare the same, and a lookup then copies nothing.
struct ProfileImage::Name {
  Name(std::string_view given, bool cutAtNul) {
    ascii = Trim(given);
    if (cutAtNul) ascii = UpToNul(ascii);
    if (IsAscii(ascii)) {
      hash = NameHash(ascii);
      return;
    }
    const std::wstring widened = Widen(TrimRight(given), CP_ACP);
    const std::wstring_view trimmed = Trim(std::wstring_view(widened));
    wide = std::wstring(cutAtNul ? UpToNul(trimmed) : trimmed);
    isWide = true;
    hash = NameHash(std::wstring_view(wide));
  }
  template <class Entry>  // a Key or a Section
  bool Matches(const Entry& e) const {
    if (e.hash != hash) return false;
    return isWide ? SameName(e.name, std::wstring_view(wide)) : SameName(e.name, ascii);
  }
  std::wstring_view KeepIn(ProfileImage& image) const { return isWide ? image.Keep(wide) : image.Keep(ascii); }

  std::string_view ascii;
  std::wstring wide;
  bool isWide = false;
  std::uint32_t hash = 0;
};

template <class C>
std::wstring_view ProfileImage::Keep(std::basic_string_view<C> s) {
  if (s.empty()) return {};
  if (s.size() > storageLeft_) {
    const std::size_t size = std::max<std::size_t>(s.size(), 1024);
    storage_.push_back(std::make_unique<wchar_t[]>(size));
    storageFree_ = storage_.back().get();
    storageLeft_ = size;
  }
  wchar_t* kept = storageFree_;
  for (std::size_t i = 0; i < s.size(); ++i) kept[i] = static_cast<wchar_t>(static_cast<std::make_unsigned_t<C>>(s[i]));
  storageFree_ += s.size();
  storageLeft_ -= s.size();
  return {kept, s.size()};
}

ProfileImage::Section* ProfileImage::FindSection(const Name& name) {
  for (Section& s : sections_)
    if (name.Matches(s)) return &s;
  return nullptr;
}

const ProfileImage::Section* ProfileImage::FindSection(const Name& name) const {
  return const_cast<ProfileImage*>(this)->FindSection(name);
}

namespace {
// Where a name's hash starts its probe in an index of `size` (a power of two) entries: the
// hash's bits mixed, since names of a list share their length and first letter.
std::size_t IndexStart(std::uint32_t hash, std::size_t size) {
  return ((hash * 0x9E3779B1u) >> 7) & (size - 1);
}
}  // namespace

void ProfileImage::Reindex(Section& section) {
  std::size_t size = 16;
  while (size < 2 * (section.keys.size() - section.deleted) + 2) size *= 2;
  section.index.assign(size, 0);
  section.indexed = 0;
  for (std::size_t pos = 0; pos < section.keys.size(); ++pos) {
    const Key& key = section.keys[pos];
    if (key.deleted()) continue;
    std::size_t at = IndexStart(key.hash, size);
    while (section.index[at] != 0) at = (at + 1) & (size - 1);
    section.index[at] = static_cast<std::uint32_t>(pos + 1);
    ++section.indexed;
  }
}

// Adds a key at the end of a section; the index is made anew once it is half full.
void ProfileImage::AddKey(Section& section, const Key& key) {
  section.keys.push_back(key);
  if (2 * (section.indexed + 1) > section.index.size()) return Reindex(section);
  const std::size_t size = section.index.size();
  std::size_t at = IndexStart(key.hash, size);
  while (section.index[at] != 0) at = (at + 1) & (size - 1);
  section.index[at] = static_cast<std::uint32_t>(section.keys.size());
  ++section.indexed;
}

const ProfileImage::Key* ProfileImage::FindKey(const Section& section, const Name& name) {
  const std::size_t size = section.index.size();
  if (size == 0) return nullptr;  // a section that has had no key
  for (std::size_t at = IndexStart(name.hash, size); section.index[at] != 0; at = (at + 1) & (size - 1)) {
    const Key& key = section.keys[section.index[at] - 1];
    if (name.Matches(key)) return &key;
  }
  return nullptr;
}

ProfileImage::Key* ProfileImage::FindKey(Section& section, const Name& name) {
  return const_cast<Key*>(FindKey(static_cast<const Section&>(section), name));
}

std::string ProfileImage::Read(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const Name sec(section, false), k(key, false);
  std::string_view given = TrimRightView(defaultValue);
  given = given.substr(0, kIniValueCapacity);
  const std::wstring def = Widen(given, CP_ACP);
  std::wstring_view v(def);
  if (const Section* s = FindSection(sec))
    if (const Key* entry = FindKey(*s, k); entry && entry->hasValue) v = entry->value;
  // One pair of matching quotes around the value is not part of it.
  bool quoted = false;
  if (v.size() > 1 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
    v.remove_prefix(1);
    quoted = true;
  }
  if (quoted && v.size() <= kIniValueCapacity + 1) v.remove_suffix(1);
  std::string out = Narrow(v.substr(0, kIniValueCapacity), CP_ACP);
  if (out.size() > kIniValueCapacity) out.resize(kIniValueCapacity);
  return out;
}

void ProfileImage::Swap(ProfileImage& other) noexcept {
  std::swap(storage_, other.storage_);
  std::swap(storageFree_, other.storageFree_);
  std::swap(storageLeft_, other.storageLeft_);
  std::swap(encoding_, other.encoding_);
  std::swap(sections_, other.sections_);
  std::swap(changed_, other.changed_);
}

void ProfileImage::Changed() {
  changed_ = true;
  // The layer writes a section without a name ("[]") without its header, and reads the
  // file anew before the next write: its keys then belong to the section before it.
  for (std::size_t i = sections_.size() - 1; i > 0; --i) {
    if (!sections_[i].name.empty()) continue;
    auto& into = sections_[i - 1].keys;
    into.insert(into.end(), sections_[i].keys.begin(), sections_[i].keys.end());
    sections_[i - 1].deleted += sections_[i].deleted;
    Reindex(sections_[i - 1]);
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void ProfileImage::Write(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
  const Name sec(section, true), k(key, true);
  if (!value) {
    for (Section& s : sections_) {
      if (!sec.Matches(s)) continue;
      if (Key* entry = FindKey(s, k)) {
        entry->hash = kDeletedHash;
        if (++s.deleted > 64 && s.deleted > s.keys.size() / 2) {
          std::erase_if(s.keys, [](const Key& e) { return e.deleted(); });
          s.deleted = 0;
          Reindex(s);
        }
        Changed();
        return;
      }
    }
    return;
  }
  // The value as the layer stores it: up to a NUL, without the blanks before it.
  const std::string_view given = TrimRightView(*value).substr(0, kIniValueCapacity);
  std::string_view ascii;
  std::wstring wide;
  const bool isAscii = IsAscii(given);
  if (isAscii) {
    ascii = UpToNul(given);
    while (!ascii.empty() && IsProfileSpace(ascii.front())) ascii.remove_prefix(1);
  } else {
    wide = Widen(given, CP_ACP);
    std::wstring_view w = UpToNul(std::wstring_view(wide));
    while (!w.empty() && IsProfileSpace(w.front())) w.remove_prefix(1);
    wide = std::wstring(w);
  }
  auto equals = [&](std::wstring_view held) {
    if (!isAscii) return held == wide;
    if (held.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < held.size(); ++i)
      if (held[i] != static_cast<wchar_t>(ascii[i])) return false;
    return true;
  };
  auto keep = [&] { return isAscii ? Keep(ascii) : Keep(std::wstring_view(wide)); };

  Section* s = FindSection(sec);
  if (!s) {
    sections_.push_back(Section{sec.KeepIn(*this), {}, 0, sec.hash, {}, 0});
    s = &sections_.back();
  }
  if (Key* entry = FindKey(*s, k)) {
    if (entry->hasValue && equals(entry->value)) return;
    entry->value = keep();
    entry->hasValue = true;
    Changed();
    return;
  }
  AddKey(*s, Key{k.KeepIn(*this), keep(), true, k.hash});
  Changed();
}

}  // namespace rt
