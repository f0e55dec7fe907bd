#include "intake/document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "intake/text_filter.h"

namespace vexa::intake {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

std::int32_t OpenDocumentFile(const std::string& path, UniqueFd& fd) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  UniqueFd opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!opened) return FILTER_E_ACCESS;
  struct stat st;
  if (::fstat(opened.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return FILTER_E_ACCESS;
  const int flags = ::fcntl(opened.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(opened.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return FILTER_E_ACCESS;
  }
  fd = std::move(opened);
  return 0;
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

std::string ReadHead(int fd, std::size_t size) {
  std::string head(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd, head.data() + got, size - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.resize(got);
  return head;
}

bool IsCompoundFile(std::string_view head) {
  return head.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

}  // namespace vexa::intake
