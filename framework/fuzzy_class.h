#pragma once
// The framework's fuzzy matcher: set up at start-up with two options; the programs use
// nothing else of it.
#include <array>
#include <cstdint>

namespace fw {
class FUZZYCLASS {
 public:
  virtual ~FUZZYCLASS() = default;
  void INIT() { inited_ = true; }
  void SETOPTION(uint8_t option, uint8_t value) {
    if (option < options_.size()) options_[option] = value;
  }
  uint8_t OPTION(uint8_t option) const { return option < options_.size() ? options_[option] : 0; }
  void KILL() { inited_ = false; }
  bool INITED() const { return inited_; }

 private:
  bool inited_ = false;
  std::array<uint8_t, 8> options_{};
};
}  // namespace fw
