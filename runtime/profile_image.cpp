#include "profile_image.h"

#include <windows.h>

#include "ini_entry.h"

namespace rt {
namespace {

bool IsProfileSpace(wchar_t c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == L' '; }

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsProfileSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsProfileSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values are C strings to the layer: a NUL ends them.
std::wstring UpToNul(std::wstring_view s) { return std::wstring(s.substr(0, s.find(L'\0'))); }

wchar_t FoldCase(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
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
  const std::wstring_view all(text);
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
        image.sections_.push_back(Section{UpToNul(Trim(line.substr(1, close - 1))), {}});
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
    }
    std::vector<Key>& keys = image.sections_.back().keys;
    const bool unnamed = eq != std::wstring_view::npos && Trim(line.substr(0, eq)).empty();
    if (unnamed && !keys.empty() && keys.back().name.empty()) continue;
    keys.push_back(std::move(key));
  }
  return image;
}

std::string ProfileImage::Bytes() const {
  std::wstring text;
  for (const Section& s : sections_) {
    if (!s.name.empty()) text += L"[" + s.name + L"]\r\n";
    for (const Key& k : s.keys) {
      text += k.name;
      if (k.value) text += L"=" + *k.value;
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

ProfileImage::Section* ProfileImage::FindSection(std::wstring_view name) {
  for (Section& s : sections_)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

const ProfileImage::Section* ProfileImage::FindSection(std::wstring_view name) const {
  return const_cast<ProfileImage*>(this)->FindSection(name);
}

std::string ProfileImage::Read(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const std::wstring sec = Widen(TrimRight(section), CP_ACP), k = Widen(TrimRight(key), CP_ACP);
  std::wstring value = Widen(CutTo(TrimRight(defaultValue), kIniValueCapacity), CP_ACP);
  if (const Section* s = FindSection(Trim(sec))) {
    for (const Key& entry : s->keys) {
      if (!SameName(entry.name, Trim(k))) continue;
      if (entry.value) value = *entry.value;
      break;
    }
  }
  // One pair of matching quotes around the value is not part of it.
  std::wstring_view v(value);
  bool quoted = false;
  if (v.size() > 1 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
    v.remove_prefix(1);
    quoted = true;
  }
  if (quoted && v.size() <= kIniValueCapacity + 1) v.remove_suffix(1);
  return CutTo(Narrow(v.substr(0, kIniValueCapacity), CP_ACP), kIniValueCapacity);
}

void ProfileImage::Changed() {
  changed_ = true;
  // The layer writes a section without a name ("[]") without its header, and reads the
  // file anew before the next write: its keys then belong to the section before it.
  for (std::size_t i = sections_.size() - 1; i > 0; --i) {
    if (!sections_[i].name.empty()) continue;
    auto& into = sections_[i - 1].keys;
    into.insert(into.end(), sections_[i].keys.begin(), sections_[i].keys.end());
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void ProfileImage::Write(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
  const std::wstring sec = UpToNul(Trim(Widen(TrimRight(section), CP_ACP)));
  const std::wstring k = UpToNul(Trim(Widen(TrimRight(key), CP_ACP)));
  if (!value) {
    for (Section& s : sections_) {
      if (!SameName(s.name, sec)) continue;
      for (auto it = s.keys.begin(); it != s.keys.end(); ++it)
        if (SameName(it->name, k)) {
          s.keys.erase(it);
          Changed();
          return;
        }
    }
    return;
  }
  std::wstring v = UpToNul(Widen(CutTo(TrimRight(*value), kIniValueCapacity), CP_ACP));
  std::size_t lead = 0;
  while (lead < v.size() && IsProfileSpace(v[lead])) ++lead;
  v.erase(0, lead);
  Section* s = FindSection(sec);
  if (!s) {
    sections_.push_back(Section{sec, {}});
    s = &sections_.back();
  }
  for (Key& entry : s->keys) {
    if (!SameName(entry.name, k)) continue;
    if (entry.value && *entry.value == v) return;
    entry.value = std::move(v);
    Changed();
    return;
  }
  s->keys.push_back(Key{k, std::move(v)});
  Changed();
}

}  // namespace rt
