#pragma once
// Private-profile access as the programs use it: values of at most 1023 characters,
// file names of at most 259, trailing blanks of every argument removed.
#include <optional>
#include <string>
#include <string_view>

namespace rt {

constexpr std::size_t kIniValueCapacity = 1023;
constexpr std::size_t kIniFileNameCapacity = 259;

// Reads one value; a missing file, section or key yields the default.
std::string ReadIniEntry(std::string_view section, std::string_view key, std::string_view defaultValue,
                         std::string_view file);

// Writes one value (creating the file when needed); without a value the key is deleted.
void WriteIniEntry(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                   std::string_view file);

// Whether the private-profile layer may hold a copy of `file` in this process: it keeps the
// files that reads and writes went through it for. Told by the file's own name (the part
// after the last folder), without regard to case: any spelling of its path counts.
bool LayerMayHold(std::string_view file);

// Text helpers shared by the programs' string handling.
std::string TrimRight(std::string_view text);
std::string CutTo(std::string_view text, std::size_t capacity);
bool IsBlank(std::string_view text);
// Reads a number the way the programs' LONG conversion does: leading blanks and sign, digits;
// anything unreadable is 0; out-of-range values saturate.
int32_t ToLong(std::string_view text);

}  // namespace rt
