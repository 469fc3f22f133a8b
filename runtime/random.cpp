#include "random.h"

#include <windows.h>

#include <mutex>
#include <random>

namespace rt {
namespace {
std::mutex g_mutex;
std::mt19937 g_engine;
bool g_seeded = false;
}  // namespace

void SeedRandomOnce() {
  std::lock_guard lock(g_mutex);
  if (g_seeded) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  g_engine.seed(static_cast<uint32_t>(now.QuadPart ^ (now.QuadPart >> 32) ^ GetTickCount() ^ GetCurrentProcessId()));
  g_seeded = true;
}

int32_t RandomRange(int32_t low, int32_t high) {
  if (high < low) std::swap(low, high);
  std::lock_guard lock(g_mutex);
  std::uniform_int_distribution<int32_t> dist(low, high);
  return dist(g_engine);
}
}  // namespace rt
