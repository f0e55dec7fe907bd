// Opening and reading a document file for the filters.
//
// A document is opened once, by path, without following it into anything but a regular
// file: a folder, a device or a pipe given as a document is refused (opening never blocks,
// so a pipe cannot hang the run). Reads retry on interruption; a file that shrinks while
// it is read simply ends early.
//
// Thread-safety: UniqueFd is an ordinary value; the functions keep no state.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa::intake {

// Owns a file descriptor (move-only); closes it when destroyed.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Gives up ownership and returns the descriptor.
  int Release();

 private:
  int fd_ = -1;
};

// Opens `path` (any bytes) for reading. Returns 0 with `fd` set, or FILTER_E_ACCESS when
// the path cannot be opened or is not a regular file.
std::int32_t OpenDocumentFile(const std::string& path, UniqueFd& fd);

// Reads up to `size` bytes at the current position. Returns the count (0 at the end of
// the file) or -1 on a read error.
ssize_t ReadSome(int fd, char* buffer, std::size_t size);

// The first up to `size` bytes of the file (read with pread; the position is kept).
// Empty when nothing can be read.
std::string ReadHead(int fd, std::size_t size);

// Whether `head` begins with the Compound File Binary signature (legacy Office files and
// encrypted Office Open XML packages).
bool IsCompoundFile(std::string_view head);

}  // namespace vexa::intake
