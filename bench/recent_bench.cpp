// Recent-item store benchmark: each road that changes a list file, against the durable floor
// measured beside it in the same round: the bytes the road left written to a new file,
// flushed to disk and renamed over a file of the same name with write-through, the least any
// durable one-step replacement costs. The roads: the full update (20 stored entries and a new
// one), the slot-1-only update, and the re-binding of a start with 20 slots whose titles are
// task titles; for information, the full update of a file with a second section and of one
// this process has read through the private-profile layer. Also prints the update in memory alone (no file), and for information each road
// against one WritePrivateProfileStringA of one key, and the key-by-key roads.
//
//   wine bench_recent.exe [rounds (400)]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/recent_items.h"
#include "bench_support.h"
#include "runtime/ini_entry.h"
#include "runtime/profile_image.h"
#include "stepwise_update.h"

namespace {

double NowUs() { return bench::NowMs() * 1000.0; }

void WriteBytes(const std::string& file, const std::string& text) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ReadBytes(const std::string& file) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out(GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  if (!out.empty() && !ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &n, nullptr)) n = 0;
  out.resize(n);
  CloseHandle(h);
  return out;
}

// Puts what was written to `file` on disk, outside any timing, so that the next flush that is
// timed does not pay for it.
void Settle(const std::string& file) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(h);
  CloseHandle(h);
}

// A frame file holding entries newest..newest-19 ("Item n"), newest first.
std::string FrameList(int newest) {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= app::kRecentSlots; ++n) {
    const int number = newest - n + 1;
    text += "Campo_" + std::to_string(n) + "=" + std::to_string(number) + "\r\nTexto_" + std::to_string(n) +
            "=Item " + std::to_string(number) + "\r\n";
  }
  return text;
}

// A task-panel file whose 20 slots hold the titles of 8 tasks, ids of an earlier run.
std::string TaskList() {
  std::string text = "[RECIENTES.]\r\n";
  for (int n = 1; n <= app::kRecentSlots; ++n) {
    const std::string s = std::to_string(n);
    text += "Encab_" + s + "=" + std::to_string(1000 + n) + "\r\nCampo_" + s + "=" + std::to_string(2000 + n) +
            "\r\nTexto_" + s + "=Tarea " + std::to_string(n % 8) + "\r\n";
  }
  return text;
}

// The 8 task titles of the task-panel file, with this round's ids.
std::vector<app::RecentTask> Tasks(int32_t run) {
  std::vector<app::RecentTask> tasks;
  for (int task = 0; task < 8; ++task) tasks.push_back({run, run * 8 + task, "Tarea " + std::to_string(task)});
  return tasks;
}

// The durable floor: `bytes` written to a new file beside `target`, flushed to disk, and
// renamed over `target` with write-through. Returns its time, or a negative one on failure.
double DurableFloor(const std::string& target, const std::string& bytes) {
  const std::string scratch = target + ".floor";
  const double t = NowUs();
  HANDLE h = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  ok = ok && MoveFileExA(scratch.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const double elapsed = NowUs() - t;
  return ok ? elapsed : -1;
}

// One road: what it does to its file in round r, and the value it must then have left in
// one key, so that a road that stops writing cannot pass for a fast one.
struct Road {
  const char* what;
  std::string file;
  std::function<void(int)> run;
  const char* checkedKey;
  std::function<std::string(int)> expected;
  bool withGoal;
  std::vector<double> times = {}, floor = {};
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "recent_bench_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  auto path = [&](const char* name) { return dir + "\\" + name; };
  const std::string plain = path("plain.ini"), stepwise = path("stepwise.ini"), topKeys = path("topkeys.ini"),
                    tasksKeys = path("taskskeys.ini");
  auto item = [](int n) { return "Item " + std::to_string(n); };

  const std::string store = path("store.ini"), top = path("top.ini"), tasks = path("tasks.ini"),
                    mixed = path("mixed.ini"), layered = path("layered.ini");
  std::vector<Road> roads = {
      {"full update, 20 stored + a new one", store,
       [&](int r) { app::PushRecentItem(store, app::RecentIdentity::Number, 0, 21 + r, item(21 + r)); }, "Texto_1",
       [&](int r) { return item(21 + r); }, true},
      {"slot-1-only update (entry already slot 1)", top,
       [&](int r) { app::PushRecentItem(top, app::RecentIdentity::Number, 0, 20, (r % 2) ? "Item x" : "Item y"); },
       "Texto_1", [](int r) { return std::string((r % 2) ? "Item x" : "Item y"); }, true},
      {"re-binding of a start, 20 matching slots", tasks,
       [&](int r) { app::RebindRecentItems(tasks, Tasks(100 + r)); }, "Campo_20",
       [](int r) { return std::to_string((100 + r) * 8 + 20 % 8); }, true},
      {"full update, file with a 2nd section", mixed,
       [&](int r) { app::PushRecentItem(mixed, app::RecentIdentity::Number, 0, 21 + r, item(21 + r)); }, "Texto_1",
       [&](int r) { return item(21 + r); }, false},
      {"full update, file read through the layer", layered,
       [&](int r) { app::PushRecentItem(layered, app::RecentIdentity::Number, 0, 21 + r, item(21 + r)); }, "Texto_1",
       [&](int r) { return item(21 + r); }, false},
  };
  for (Road& road : roads) WriteBytes(road.file, road.file == tasks ? TaskList() : FrameList(20));
  WritePrivateProfileStringA("Otra", "clave", "1", mixed.c_str());  // a second section
  // A file the layer holds a copy of, which every update drops.
  rt::ReadIniEntry(app::kRecentSection, "Texto_1", "", layered);
  for (const std::string& f : {plain, stepwise, topKeys}) WriteBytes(f, FrameList(20));
  WriteBytes(tasksKeys, TaskList());
  const std::string list = FrameList(20);

  int nextStepwise = 21;
  std::vector<double> key, steps, slotOneKeys, rebindKeys, parse, update, bytes, inMemory;
  for (int r = 0; r < rounds; ++r) {
    // Each round starts with another road, so that none always pays for coming first.
    for (std::size_t i = 0; i < roads.size(); ++i) {
      Road& road = roads[(r + i) % roads.size()];
      double t = NowUs();
      road.run(r);
      road.times.push_back(NowUs() - t);
      // Checked from the bytes, not through the private-profile layer's cache.
      const std::string after = ReadBytes(road.file);
      const std::string got = rt::ProfileImage::FromBytes(after).Read(app::kRecentSection, road.checkedKey, "");
      if (got != road.expected(r)) {
        std::printf("%s: round %d left \"%s\" where \"%s\" belongs\n", road.what, r, got.c_str(),
                    road.expected(r).c_str());
        return 1;
      }
      const std::string floorFile = road.file + ".same";
      if (r == 0) WriteBytes(floorFile, after);
      const double f = DurableFloor(floorFile, after);
      if (f < 0) {
        std::printf("%s: the durable floor could not be measured (error %lu)\n", road.what, GetLastError());
        return 1;
      }
      road.floor.push_back(f);
    }

    double t = NowUs();
    WritePrivateProfileStringA(app::kRecentSection, "Texto_1", (r % 2) ? "Item a" : "Item b", plain.c_str());
    key.push_back(NowUs() - t);

    if (r % 8 == 0) {
      t = NowUs();
      recent_test::StepwisePushRecentItem(stepwise, app::RecentIdentity::Number, 0, nextStepwise, item(nextStepwise));
      steps.push_back(NowUs() - t);
      ++nextStepwise;

      t = NowUs();
      recent_test::StepwisePushRecentItem(topKeys, app::RecentIdentity::Number, 0, 20, (r % 16) ? "Item x" : "Item y");
      slotOneKeys.push_back(NowUs() - t);

      t = NowUs();
      recent_test::StepwiseRebind(tasksKeys, Tasks(100 + r));
      rebindKeys.push_back(NowUs() - t);
    }

    for (const std::string& f : {plain, stepwise, topKeys, tasksKeys}) Settle(f);
  }

  // The full update in memory alone, back to back: the file's bytes read into an image, the
  // update, and the bytes of the result.
  for (int r = 0; r < rounds; ++r) {
    const double t = NowUs();
    rt::ProfileImage image = rt::ProfileImage::FromBytes(list);
    const double parsed = NowUs();
    app::PushRecentItem(image, app::RecentIdentity::Number, 0, 99, "Item 99");
    const double updated = NowUs();
    const std::string result = image.Bytes();
    const double done = NowUs();
    if (result.empty()) return 1;
    parse.push_back(parsed - t);
    update.push_back(updated - parsed);
    bytes.push_back(done - updated);
    inMemory.push_back(done - t);
  }

  using bench::Median;
  const double k = Median(key);
  std::printf("recent-item store, %d rounds (medians, microseconds)\n", rounds);
  std::printf("  each road against the durable floor: the bytes it left, written to a new file, flushed and\n"
              "  renamed over a file of the same size, measured right after it in the same round\n");
  for (const Road& road : roads) {
    const double m = Median(road.times), f = Median(road.floor);
    std::printf("  %-44s: %8.1f, floor %7.1f, %5.2f x floor%s\n", road.what, m, f, m / f,
                road.withGoal ? " (goal: at most 1.3)" : "");
  }
  std::printf("  %-44s: %8.1f (goal: at most 50)\n", "full update in memory alone, back to back", Median(inMemory));
  std::printf("  %-44s: %8.1f / %.1f / %.1f\n", "  of which reading / the update / the bytes", Median(parse),
              Median(update), Median(bytes));
  std::printf("  for information, against one key written by WritePrivateProfileStringA (%.1f):\n", k);
  for (const Road& road : roads)
    std::printf("  %-44s: %5.2f x one key write\n", road.what, Median(road.times) / k);
  std::printf("  %-44s: %8.1f, %6.1f x one key write\n", "full update key by key", Median(steps), Median(steps) / k);
  std::printf("  %-44s: %8.1f, %6.1f x one key write\n", "slot-1-only update key by key", Median(slotOneKeys),
              Median(slotOneKeys) / k);
  std::printf("  %-44s: %8.1f, %6.1f x one key write\n", "re-binding key by key (40 key writes)", Median(rebindKeys),
              Median(rebindKeys) / k);

  for (const Road& road : roads) {
    DeleteFileA(road.file.c_str());
    DeleteFileA((road.file + ".same").c_str());
  }
  for (const std::string& f : {plain, stepwise, topKeys, tasksKeys}) DeleteFileA(f.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
