#pragma once

#include <unistd.h>

#include <utility>

namespace Vellumetric {

// Owns one file descriptor; closes it when replaced or destroyed.
class TUniqueFd {
 public:
  TUniqueFd() noexcept = default;
  explicit TUniqueFd(int fd) noexcept : Fd(fd) {}
  TUniqueFd(TUniqueFd&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.Fd, -1));
    return *this;
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;
  ~TUniqueFd() { Reset(); }

  [[nodiscard]] int Get() const noexcept { return Fd; }
  [[nodiscard]] bool Valid() const noexcept { return Fd >= 0; }
  // Gives up ownership, for a close whose result matters.
  [[nodiscard]] int Release() noexcept { return std::exchange(Fd, -1); }
  void Reset(int fd = -1) noexcept {
    if (Fd >= 0) ::close(Fd);
    Fd = fd;
  }

 private:
  int Fd = -1;
};

}  // namespace Vellumetric
