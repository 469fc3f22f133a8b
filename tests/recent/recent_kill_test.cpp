// A process recording entries is killed at random moments, many times: after every kill the
// file holds every entry it held before, each once, in a well-formed section, in an order
// the recorded sequence passes through.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "churn_plan.h"
#include "recent_fixture.h"
#include "stepwise_update.h"
#include "test_support.h"

namespace {

using app::RecentIdentity;
using recent_test::ChurnEntryAt;
using recent_test::kChurnEntries;
using recent_test::SectionLines;

constexpr int kKillsPerRound = 60;

const std::vector<std::string> kForeign = {"Campo_21=5", "Texto_21=Extra", "Campo_121=-3", "Texto_100=cien",
                                           "Otra=valor"};

std::vector<std::string> SlotLines(RecentIdentity identity, const std::vector<int>& order) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const recent_test::ChurnEntry e = ChurnEntryAt(order[k], identity);
    const std::string n = std::to_string(k + 1);
    if (identity == RecentIdentity::HeaderAndNumber) lines.push_back("Encab_" + n + "=" + std::to_string(e.header));
    lines.push_back("Campo_" + n + "=" + std::to_string(e.number));
    lines.push_back("Texto_" + n + "=" + e.text);
  }
  return lines;
}

// The order of entries the file holds, or a description of what is wrong with it.
bool ReadOrder(const std::string& file, RecentIdentity identity, bool otherSection, std::vector<int>& order,
               std::string& problem) {
  std::vector<std::string> lines = SectionLines(file);
  std::multiset<std::string> seen(lines.begin(), lines.end());
  for (const std::string& f : kForeign)
    if (seen.count(f) != 1) return problem = "foreign key line lost or doubled: " + f, false;
  std::map<std::string, std::string> slotKeys;
  for (const std::string& line : lines) {
    if (std::find(kForeign.begin(), kForeign.end(), line) != kForeign.end()) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return problem = "line without a value: " + line, false;
    if (!slotKeys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) return problem = "doubled key: " + line, false;
  }
  const std::size_t perSlot = identity == RecentIdentity::HeaderAndNumber ? 3 : 2;
  if (slotKeys.size() != perSlot * kChurnEntries)
    return problem = "expected " + std::to_string(perSlot * kChurnEntries) + " slot keys, found " +
                     std::to_string(slotKeys.size()),
           false;
  order.clear();
  std::set<int> used;
  for (int n = 1; n <= kChurnEntries; ++n) {
    const std::string s = std::to_string(n);
    const std::string number = slotKeys["Campo_" + s], text = slotKeys["Texto_" + s];
    const std::string header = identity == RecentIdentity::HeaderAndNumber ? slotKeys["Encab_" + s] : "0";
    int found = -1;
    for (int i = 0; i < kChurnEntries; ++i) {
      const recent_test::ChurnEntry e = ChurnEntryAt(i, identity);
      if (std::to_string(e.number) == number && std::to_string(e.header) == header && e.text == text) found = i;
    }
    if (found < 0) return problem = "slot " + s + " holds no known entry", false;
    if (!used.insert(found).second) return problem = "an entry is in two slots", false;
    order.push_back(found);
  }
  if (SectionLines(file, "Otra") != (otherSection ? std::vector<std::string>{"clave=1"} : std::vector<std::string>{}))
    return problem = "the other section changed", false;
  return true;
}

void MoveToFront(std::vector<int>& order, int entry) {
  auto it = std::find(order.begin(), order.end(), entry);
  std::rotate(order.begin(), it, it + 1);
}

void SpinMicroseconds(long long us) {
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  do QueryPerformanceCounter(&now);
  while ((now.QuadPart - start.QuadPart) * 1000000 / freq.QuadPart < us);
}

// Starts the churn helper on `file`, lets it run for a random moment and kills it.
void KillTheHelperOnce(const std::string& file, const std::string& dir, const char* kind, uint32_t picksSeed,
                       const char* mode, int kill, std::mt19937& random) {
  const std::string helper = testing_support::ProgramPath("recent_churn.exe");
  char eventName[64];
  std::snprintf(eventName, sizeof eventName, "recent_churn_%lu_%d", GetCurrentProcessId(), kill);
  HANDLE running = CreateEventA(nullptr, TRUE, FALSE, eventName);
  std::string cmd = "\"" + helper + "\" \"" + file + "\" " + kind + " " + std::to_string(picksSeed) + " " + eventName + " " + mode;
  std::vector<char> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // A busy Wine server now and then refuses a start; a second try is not a lost entry.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    started = CreateProcessA(helper.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                             &pi) != FALSE;
    if (!started) {
      error = GetLastError();
      Sleep(200);
    }
  }
  ASSERT_TRUE(started) << helper << " error " << error;
  ASSERT_EQ(WaitForSingleObject(running, 20000), WAIT_OBJECT_0) << "the helper did not start";
  SpinMicroseconds(std::uniform_int_distribution<long long>(0, 40000)(random));
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(running);
}

// A full list of the churn's entries, foreign keys, and another section when asked.
std::string ChurnFile(RecentIdentity identity, bool otherSection, const std::vector<int>& order) {
  std::string text = "[RECIENTES.]\r\n";
  for (const std::string& line : SlotLines(identity, order)) text += line + "\r\n";
  for (const std::string& line : kForeign) text += line + "\r\n";
  if (otherSection) text += "[Otra]\r\nclave=1\r\n";
  return text;
}

std::mt19937 SeededRandom() {
  const unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  std::cout << "kill moments from seed " << seed << std::endl;
  return std::mt19937(seed);
}

TEST(RecentKill, AKilledUpdateLosesNoStoredEntry) {
  std::mt19937 random = SeededRandom();
  // Frame and task-panel files, each alone and with another section after the list.
  for (int round = 0; round < 4; ++round) {
    const RecentIdentity identity = round % 2 ? RecentIdentity::HeaderAndNumber : RecentIdentity::Number;
    const bool otherSection = round >= 2;
    const char* kind = identity == RecentIdentity::Number ? "frame" : "panel";
    const std::string what = std::string(kind) + (otherSection ? " file with another section" : " file");
    SCOPED_TRACE(what);
    testing_support::TempDir dir;
    const std::string file = dir.File("RECIENTES.kill.ini");
    std::vector<int> order(kChurnEntries);
    for (int i = 0; i < kChurnEntries; ++i) order[i] = i;
    testing_support::WriteFileText(file, ChurnFile(identity, otherSection, order));

    long long updates = 0;
    for (int kill = 0; kill < kKillsPerRound; ++kill) {
      const uint32_t picksSeed = random();
      ASSERT_NO_FATAL_FAILURE(KillTheHelperOnce(file, dir.path(), kind, picksSeed, "", kill, random));
      std::vector<int> found;
      std::string problem;
      ASSERT_TRUE(ReadOrder(file, identity, otherSection, found, problem))
          << "after kill " << kill + 1 << ": " << problem << "\n" << testing_support::ReadFileText(file);
      // The helper's picks, replayed from the order it started with, reach the order found.
      recent_test::ChurnPicks picks(picksSeed);
      long long steps = 0;
      while (order != found && steps < 10000000) {
        MoveToFront(order, picks.Next());
        ++steps;
      }
      ASSERT_EQ(order, found) << "after kill " << kill + 1 << ": an order the recorded sequence never had";
      updates += steps;
    }
    std::cout << what << ": " << kKillsPerRound << " kills, about " << updates << " updates in between" << std::endl;
    // Killed writers leave scratch files behind; the next update of the list removes them
    // once they are minutes old.
    recent_test::AgeScratchFiles(file);
    const recent_test::ChurnEntry next = ChurnEntryAt(order.back(), identity);
    app::PushRecentItem(file, identity, next.header, next.number, next.text);
    EXPECT_EQ(testing_support::NamesIn(dir.path()), std::vector<std::string>{"RECIENTES.kill.ini"});
  }
}

// The road that rewrites slot 1 only: the entry of slot 1 recorded again with another text,
// over and over. After each kill the file is the list with one text or with the other.
TEST(RecentKill, AKilledSlotOneWriteLosesNothing) {
  std::mt19937 random = SeededRandom();
  for (int round = 0; round < 2; ++round) {
    const RecentIdentity identity = round ? RecentIdentity::HeaderAndNumber : RecentIdentity::Number;
    const char* kind = round ? "panel" : "frame";
    SCOPED_TRACE(kind);
    testing_support::TempDir dir;
    const std::string file = dir.File("RECIENTES.kill.ini"), other = dir.File("other.ini");
    std::vector<int> order(kChurnEntries);
    for (int i = 0; i < kChurnEntries; ++i) order[i] = i;
    const std::string one = ChurnFile(identity, true, order);
    testing_support::WriteFileText(other, one);
    const recent_test::ChurnEntry first = ChurnEntryAt(0, identity);
    recent_test::StepwisePushRecentItem(other, identity, first.header, first.number,
                                        recent_test::OtherText(first.text));
    const std::string two = testing_support::ReadFileText(other);
    testing_support::WriteFileText(file, one);
    for (int kill = 0; kill < kKillsPerRound / 2; ++kill) {
      ASSERT_NO_FATAL_FAILURE(KillTheHelperOnce(file, dir.path(), kind, 0, "slot1", kill, random));
      const std::string found = testing_support::ReadFileText(file);
      ASSERT_TRUE(found == one || found == two) << "after kill " << kill + 1 << ":\n" << found;
    }
  }
}

}  // namespace
