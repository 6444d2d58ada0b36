#include "io/unique_fd.h"

#include "support/platform.h"

namespace zolt {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this == &other) return *this;
  Close();
  fd_ = std::exchange(other.fd_, -1);
  owned_ = other.owned_;
  return *this;
}

bool UniqueFd::Close() {
  int fd = std::exchange(fd_, -1);
  if (!owned_ || fd < 0) return true;
  return Sys().Close(fd);
}

}  // namespace zolt
