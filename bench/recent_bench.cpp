// Recent-item store benchmark: each road that changes a list file, against a single
// WritePrivateProfileStringA of one key on a file of the same size, in the same run: the full
// update (20 stored entries and a new one), the slot-1-only update, and the re-binding of a
// start with 20 slots whose titles are task titles. Prints the medians and their ratios; the
// key-by-key roads and the update in memory alone are printed beside them for comparison.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/recent_items.h"
#include "runtime/ini_entry.h"
#include "runtime/profile_file.h"
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

void WriteBytes(const std::string& file, const std::string& text) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

// Fills a frame file with entries first..first-19 ("Item n"), newest first.
void Fill(const std::string& file, int newest) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= 20; ++n) {
    const int number = newest - n + 1;
    text += "Campo_" + std::to_string(n) + "=" + std::to_string(number) + "\r\nTexto_" + std::to_string(n) +
            "=Item " + std::to_string(number) + "\r\n";
  }
  WriteBytes(file, text);
}

// A task-panel file whose 20 slots hold the titles of 8 tasks, ids of an earlier run.
void FillTasks(const std::string& file) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= 20; ++n) {
    const std::string s = std::to_string(n);
    text += "Encab_" + s + "=" + std::to_string(1000 + n) + "\r\nCampo_" + s + "=" + std::to_string(2000 + n) +
            "\r\nTexto_" + s + "=Tarea " + std::to_string(n % 8) + "\r\n";
  }
  WriteBytes(file, text);
}

// The 8 task titles of the task-panel file, with this round's ids.
std::vector<app::RecentTask> Tasks(int32_t run) {
  std::vector<app::RecentTask> tasks;
  for (int task = 0; task < 8; ++task) tasks.push_back({run, run * 8 + task, "Tarea " + std::to_string(task)});
  return tasks;
}

// The same, one key write at a time.
}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "recent_bench_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string store = dir + "\\store.ini", plain = dir + "\\plain.ini", stepwise = dir + "\\stepwise.ini",
                    top = dir + "\\top.ini", mixed = dir + "\\mixed.ini", topKeys = dir + "\\topkeys.ini",
                    tasks = dir + "\\tasks.ini", tasksKeys = dir + "\\taskskeys.ini";
  for (const std::string& f : {store, plain, stepwise, top, mixed, topKeys}) Fill(f, 20);
  FillTasks(tasks);
  FillTasks(tasksKeys);
  WritePrivateProfileStringA("Otra", "clave", "1", mixed.c_str());  // a second section
  std::string bytes;
  {
    rt::ProfileEdit edit(store);
    bytes = edit.image().Bytes();
  }

  int nextStore = 21, nextStepwise = 21, nextMixed = 21;
  std::vector<double> full, key, steps, inMemory, slotOne, slotOneKeys, copied, rebind, rebindKeys, flush;
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

    t = Now();
    app::RebindRecentItems(tasks, Tasks(100 + r));
    rebind.push_back(Now() - t);

    if (r % 8 == 0) {
      t = Now();
      recent_test::StepwisePushRecentItem(stepwise, app::RecentIdentity::Number, 0, nextStepwise,
                                          "Item " + std::to_string(nextStepwise));
      steps.push_back(Now() - t);
      ++nextStepwise;

      t = Now();
      recent_test::StepwisePushRecentItem(topKeys, app::RecentIdentity::Number, 0, 20, (r % 16) ? "Item x" : "Item y");
      slotOneKeys.push_back(Now() - t);

      t = Now();
      recent_test::StepwiseRebind(tasksKeys, Tasks(100 + r));
      rebindKeys.push_back(Now() - t);
    }

    {
      // The flush to disk that every replacement makes, alone.
      HANDLE h = CreateFileA((plain + "~").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD written = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      t = Now();
      FlushFileBuffers(h);
      flush.push_back(Now() - t);
      CloseHandle(h);
    }

    t = Now();
    rt::ProfileImage image = rt::ProfileImage::FromBytes(bytes);
    app::PushRecentItem(image, app::RecentIdentity::Number, 0, 99, "Item 99");
    const std::string result = image.Bytes();
    inMemory.push_back(Now() - t);
    if (result.empty()) return 1;
  }
  const double k = Median(key);
  auto row = [&](const char* what, const std::vector<double>& v, const char* goal) {
    std::printf("  %-48s: %9.1f   (%5.2f x one key write)%s\n", what, Median(v), Median(v) / k, goal);
  };
  std::printf("recent-item store, %d rounds (medians, microseconds)\n", rounds);
  std::printf("  %-48s: %9.1f\n", "one key, WritePrivateProfileStringA", k);
  row("full update, 20 stored + a new one", full, "   goal: at most 3");
  row("slot-1-only update (entry already slot 1)", slotOne, "   goal: at most 3");
  row("re-binding of a start, 20 matching slots", rebind, "   goal: at most 3");
  row("full update, file with a 2nd section", copied, "");
  row("full update key by key (for comparison)", steps, "");
  row("slot-1-only update key by key", slotOneKeys, "");
  row("re-binding key by key (40 key writes)", rebindKeys, "");
  row("full update in memory alone (no file)", inMemory, "");
  row("flush of the scratch file alone (in each road)", flush, "");

  for (const std::string& f2 : {store, plain, stepwise, top, mixed, topKeys, tasks, tasksKeys, plain + "~"})
    DeleteFileA(f2.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
