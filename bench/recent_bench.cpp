// Recent-item store benchmark: a full update (20 stored entries and a new one) against a
// single WritePrivateProfileStringA of one key on a file of the same size, in the same run;
// prints the medians and their ratio. The key-by-key update and the pure planning step are
// printed beside them for comparison.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/recent_items.h"
#include "runtime/ini_entry.h"
#include "stepwise_update.h"

namespace {

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Fills a frame file with entries first..first-19 ("Item n"), newest first.
void Fill(const std::string& file, int newest) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= 20; ++n) {
    const int number = newest - n + 1;
    text += "Campo_" + std::to_string(n) + "=" + std::to_string(number) + "\r\nTexto_" + std::to_string(n) +
            "=Item " + std::to_string(number) + "\r\n";
  }
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "recent_bench_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string store = dir + "\\store.ini", plain = dir + "\\plain.ini", stepwise = dir + "\\stepwise.ini",
                    top = dir + "\\top.ini", mixed = dir + "\\mixed.ini";
  Fill(store, 20);
  Fill(plain, 20);
  Fill(stepwise, 20);
  Fill(top, 20);
  Fill(mixed, 20);
  WritePrivateProfileStringA("Otra", "clave", "1", mixed.c_str());  // a second section: the copy road
  const std::string lines = rt::ReadIniSection(app::kRecentSection, store);

  int nextStore = 21, nextStepwise = 21, nextMixed = 21;
  std::vector<double> full, key, steps, plan, slotOne, copied;
  for (int r = 0; r < rounds; ++r) {
    double t = Now();
    app::PushRecentItem(store, app::RecentIdentity::Number, 0, nextStore, "Item " + std::to_string(nextStore));
    full.push_back(Now() - t);
    ++nextStore;

    t = Now();
    app::PushRecentItem(mixed, app::RecentIdentity::Number, 0, nextMixed, "Item " + std::to_string(nextMixed));
    copied.push_back(Now() - t);
    ++nextMixed;

    t = Now();
    WritePrivateProfileStringA(app::kRecentSection, "Texto_1", (r % 2) ? "Item a" : "Item b", plain.c_str());
    key.push_back(Now() - t);

    t = Now();
    app::PushRecentItem(top, app::RecentIdentity::Number, 0, 20, (r % 2) ? "Item x" : "Item y");
    slotOne.push_back(Now() - t);

    if (r % 8 == 0) {
      t = Now();
      recent_test::StepwisePushRecentItem(stepwise, app::RecentIdentity::Number, 0, nextStepwise,
                                          "Item " + std::to_string(nextStepwise));
      steps.push_back(Now() - t);
      ++nextStepwise;
    }

    t = Now();
    const app::RecentUpdate u = app::PlanRecentUpdate(lines, app::RecentIdentity::Number, 0, 99, "Item 99");
    plan.push_back(Now() - t);
    if (u.section.empty()) return 1;
  }
  const double f = Median(full), k = Median(key);
  std::printf("recent-item store, %d rounds (medians, microseconds)\n", rounds);
  std::printf("  full update, 20 stored + a new one : %9.1f\n", f);
  std::printf("  one key, WritePrivateProfileStringA: %9.1f\n", k);
  std::printf("  ratio full update / one key write  : %9.2f   (goal: at most 3)\n", f / k);
  std::printf("  full update, file with a 2nd section: %8.1f   (%.2f x one key write)\n", Median(copied),
              Median(copied) / k);
  std::printf("  entry already slot 1 (new text)    : %9.1f\n", Median(slotOne));
  std::printf("  key-by-key update (for comparison) : %9.1f\n", Median(steps));
  std::printf("  planning the new section alone     : %9.1f\n", Median(plan));

  for (const std::string& f2 : {store, plain, stepwise, top, mixed, store + "~", mixed + "~"}) DeleteFileA(f2.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
