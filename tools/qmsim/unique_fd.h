// Owning wrapper for a POSIX file descriptor.
#ifndef QMSIM_UNIQUE_FD_H
#define QMSIM_UNIQUE_FD_H

#include <unistd.h>

namespace qmsim {

// Owns one descriptor (or none, -1) and closes it on destruction. Move-only.
class UniqueFd {
 public:
  UniqueFd() = default;
  // Takes ownership of fd (-1 for none).
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  // The descriptor, still owned by this object; -1 when none.
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Gives up ownership and returns the descriptor.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes the owned descriptor, if any.
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

}  // namespace qmsim

#endif  // QMSIM_UNIQUE_FD_H
