// A platform descriptor held by one owner at a time.
#pragma once

#include <utility>

namespace zolt {

// Whether the holder of a descriptor closes it.
enum class Ownership {
  kBorrowed,  // left open: it belongs to someone else (standard output)
  kOwned,     // closed with its holder
};

// A descriptor (or none, -1) that is closed through the platform when it is
// owned and its holder goes away or closes it explicitly. Move-only: the
// descriptor goes with the move and the moved-from holder holds none.
class UniqueFd {
 public:
  UniqueFd() = default;
  // Holds `fd` (-1: none), closed in the end when `owned`.
  UniqueFd(int fd, Ownership owned) : fd_(fd), owned_(owned == Ownership::kOwned) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  ~UniqueFd() { Close(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  // The descriptor, -1 when none is held.
  int get() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }
  // Closes an owned descriptor and lets go of a borrowed one; false only
  // when the close itself failed. Holds none afterwards.
  bool Close();

 private:
  int fd_ = -1;
  bool owned_ = false;
};

}  // namespace zolt
