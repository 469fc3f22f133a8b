#include "stepwise_update.h"

#include "runtime/ini_entry.h"

namespace recent_test {
namespace {

using app::RecentIdentity;

struct Slot {
  int32_t header = 0, number = 0;
  std::string text;
};

std::string Key(const char* prefix, int n) { return prefix + std::to_string(n); }

Slot Read(const std::string& file, RecentIdentity identity, int n) {
  Slot s;
  if (identity == RecentIdentity::HeaderAndNumber)
    s.header = rt::ToLong(rt::ReadIniEntry(app::kRecentSection, Key("Encab_", n), "", file));
  s.number = rt::ToLong(rt::ReadIniEntry(app::kRecentSection, Key("Campo_", n), "", file));
  s.text = rt::CutTo(rt::ReadIniEntry(app::kRecentSection, Key("Texto_", n), "", file), app::kRecentTextCapacity);
  return s;
}

void Write(const std::string& file, RecentIdentity identity, int n, const Slot& s) {
  if (identity == RecentIdentity::HeaderAndNumber)
    rt::WriteIniEntry(app::kRecentSection, Key("Encab_", n), std::to_string(s.header), file);
  rt::WriteIniEntry(app::kRecentSection, Key("Campo_", n), std::to_string(s.number), file);
  rt::WriteIniEntry(app::kRecentSection, Key("Texto_", n), std::string_view(s.text), file);
}

void Delete(const std::string& file, RecentIdentity identity, int n) {
  if (identity == RecentIdentity::HeaderAndNumber)
    rt::WriteIniEntry(app::kRecentSection, Key("Encab_", n), std::nullopt, file);
  rt::WriteIniEntry(app::kRecentSection, Key("Campo_", n), std::nullopt, file);
  rt::WriteIniEntry(app::kRecentSection, Key("Texto_", n), std::nullopt, file);
}

bool Same(const Slot& s, RecentIdentity identity, int32_t header, int32_t number) {
  return s.number == number && (identity == RecentIdentity::Number || s.header == header);
}

}  // namespace

void StepwisePushRecentItem(const std::string& file, RecentIdentity identity, int32_t header, int32_t number,
                            std::string_view text) {
  const Slot first = Read(file, identity, 1);
  if (first.number != 0 && !Same(first, identity, header, number)) {
    for (int n = 1; n <= 20; ++n) Write(file, identity, n + 100, Read(file, identity, n));
    int p = 1;
    for (int n = 101; n <= 120; ++n) {
      const Slot s = Read(file, identity, n);
      if (!rt::IsBlank(s.text) && !Same(s, identity, header, number) && p < 20) Write(file, identity, ++p, s);
      Delete(file, identity, n);
    }
    for (int n = p + 1; n <= 20; ++n) Delete(file, identity, n);
  }
  if (identity == RecentIdentity::HeaderAndNumber)
    rt::WriteIniEntry(app::kRecentSection, "Encab_1", std::to_string(header), file);
  rt::WriteIniEntry(app::kRecentSection, "Campo_1", std::to_string(number), file);
  rt::WriteIniEntry(app::kRecentSection, "Texto_1", text, file);
}

void StepwiseRebind(const std::string& file, const std::vector<app::RecentTask>& tasks) {
  for (int n = 1; n <= 20; ++n) {
    const std::string text = Read(file, RecentIdentity::Number, n).text;
    for (const app::RecentTask& t : tasks)
      if (rt::TrimRight(t.title) == rt::TrimRight(text)) {
        rt::WriteIniEntry(app::kRecentSection, Key("Encab_", n), std::to_string(t.header), file);
        rt::WriteIniEntry(app::kRecentSection, Key("Campo_", n), std::to_string(t.task), file);
      }
  }
}

}  // namespace recent_test
