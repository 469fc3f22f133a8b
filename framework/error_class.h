#pragma once
// The framework's error manager. Its message table is Spanish; the programs only name the
// running procedure, which the manager keeps per thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fw {

// Per-thread error status that the error manager reports into.
class ERRORSTATUSCLASS {
 public:
  int32_t code = 0;
  std::string text;
};

class ERRORCLASS {
 public:
  virtual ~ERRORCLASS() = default;
  void INIT(ERRORSTATUSCLASS& status);
  // With a name: the running procedure of the calling thread, over the one that was running
  // (a nested window's); omitted: drops the latest, so the one below is running again.
  void SETPROCEDURENAME(std::optional<std::string> name = std::nullopt);
  std::string PROCEDURENAME() const;  // of the calling thread
  // The message of the default table for an error code ("" when unknown).
  static std::string MESSAGE(int32_t code);
  bool INITED() const { return status_ != nullptr; }

 private:
  ERRORSTATUSCLASS* status_ = nullptr;
  mutable std::mutex mutex_;
  std::map<uint32_t, std::vector<std::string>> names_;  // thread id -> procedure names, innermost last
};

}  // namespace fw
