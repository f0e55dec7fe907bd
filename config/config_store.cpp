#include "config/config_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vexa {
namespace {

// A hand-edited "Count" beyond this is not believed: it must not exhaust memory.
constexpr long long kMaxListCount = 1'000'000;

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string_view> KeyParts(std::string_view key) {
  std::vector<std::string_view> parts;
  while (!key.empty()) {
    const auto slash = key.find('/');
    const std::string_view part = key.substr(0, slash);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    key.remove_prefix(slash + 1);
  }
  return parts;
}

// N for an element named "ItemN" (N decimal), else -1.
long long ItemNumber(const XmlElement& element) {
  constexpr std::string_view kPrefix = "Item";
  if (element.kind != XmlElement::Kind::kElement || !element.name.starts_with(kPrefix)) return -1;
  const std::string_view digits = std::string_view(element.name).substr(kPrefix.size());
  long long n = -1;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return -1;
  return n;
}

// Owns a file descriptor (move-only); negative means none.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  ~FileDescriptor() { Close(); }
  int get() const { return fd_; }
  // Closes now; false when close reported an error (a write may have been lost).
  bool Close() { return fd_ < 0 || close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

int IntegerOfText(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return -1;
  return value;
}

bool BooleanOfText(std::string_view text) {
  std::string upper(Trimmed(text));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "TRUE" || upper == "YES" || upper == "Y") return true;
  if (upper == "FALSE" || upper == "NO" || upper == "N") return false;
  return IntegerOfText(upper) != 0;
}

std::string BooleanText(bool value) { return value ? "TRUE" : "FALSE"; }

// ---------------------------------------------------------------------------------------

const XmlElement* ConfigReader::Find(std::string_view key) const {
  const XmlElement* element = &root_;
  for (std::string_view part : KeyParts(key))
    if (!(element = element->Find(part))) return nullptr;
  return element;
}

int ConfigReader::ReadInteger(std::string_view key, int fallback) const {
  const XmlElement* element = Find(key);
  return element ? IntegerOfText(element->text) : fallback;
}

std::string ConfigReader::ReadString(std::string_view key, std::string fallback) const {
  const XmlElement* element = Find(key);
  return element ? element->text : std::move(fallback);
}

bool ConfigReader::ReadList(std::string_view key, std::vector<std::string>& list) const {
  const auto items = Items(key);
  if (!items) return false;
  list.clear();
  for (const XmlElement* item : *items) list.push_back(item ? item->text : std::string());
  return true;
}

std::optional<std::vector<const XmlElement*>> ConfigReader::Items(std::string_view key) const {
  const XmlElement* list = Find(key);
  if (!list) return std::nullopt;
  const XmlElement* count_element = list->Find("Count");
  const long long count = std::clamp<long long>(
      count_element ? IntegerOfText(count_element->text) : 0, 0, kMaxListCount);
  std::vector<const XmlElement*> items(static_cast<std::size_t>(count), nullptr);
  for (const XmlElement& child : list->children) {
    const long long n = ItemNumber(child);
    if (n >= 0 && n < count && !items[n]) items[n] = &child;
  }
  return items;
}

// ---------------------------------------------------------------------------------------

XmlElement& ConfigWriter::Obtain(std::string_view key) {
  XmlElement* element = &root_;
  for (std::string_view part : KeyParts(key)) element = &element->Obtain(part);
  return *element;
}

void ConfigWriter::WriteInteger(std::string_view key, int value) {
  Obtain(key).text = std::to_string(value);
}

void ConfigWriter::WriteString(std::string_view key, std::string value) {
  Obtain(key).text = std::move(value);
}

void ConfigWriter::WriteList(std::string_view key, const std::vector<std::string>& list) {
  WriteItems(key, list.size(), [&](std::size_t i, XmlElement& item) { item.text = list[i]; });
}

void ConfigWriter::WriteItems(std::string_view key, std::size_t count,
                              const std::function<void(std::size_t, XmlElement&)>& fill) {
  XmlElement& list = Obtain(key);
  // Take the item and "Count" elements out, keeping the first of each number, so that
  // they can be put back in order after the list's other children.
  std::vector<std::optional<XmlElement>> kept(count);
  std::optional<XmlElement> count_element;
  for (auto it = list.children.begin(); it != list.children.end();) {
    const long long n = ItemNumber(*it);
    const bool is_count = it->kind == XmlElement::Kind::kElement && it->name == "Count";
    if (n < 0 && !is_count) {
      ++it;
      continue;
    }
    if (is_count && !count_element) count_element = std::move(*it);
    if (n >= 0 && static_cast<std::size_t>(n) < count && !kept[n]) kept[n] = std::move(*it);
    it = list.children.erase(it);
  }
  for (std::size_t i = 0; i < count; ++i) {
    XmlElement& item = list.children.emplace_back();
    if (kept[i])
      item = std::move(*kept[i]);
    else
      item.name = "Item" + std::to_string(i);
    fill(i, item);
  }
  XmlElement& count_out = list.children.emplace_back();
  if (count_element) count_out = std::move(*count_element);
  count_out.name = "Count";
  count_out.text = std::to_string(count);
}

// ---------------------------------------------------------------------------------------

ConfigStore::ConfigStore(std::string file_name, std::string comment, std::string root_name)
    : file_name_(std::move(file_name)),
      comment_(std::move(comment)),
      root_name_(std::move(root_name)) {}

XmlDocument ConfigStore::Load() const {
  const FileDescriptor fd(open(file_name_.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return NewXmlDocument(root_name_, comment_);
    throw std::runtime_error("Can't read file " + file_name_ + " (" + std::strerror(errno) + ")");
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw std::runtime_error("Can't read file " + file_name_ + " (" + std::strerror(errno) + ")");
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (bytes.empty()) return NewXmlDocument(root_name_, comment_);
  return ParseXml(bytes, file_name_);
}

void ConfigStore::Save(const XmlDocument& document) {
  // Write the file's target when it is a symbolic link, so the link survives the rename.
  std::string target = file_name_;
  if (char* real = realpath(file_name_.c_str(), nullptr)) {
    target = real;
    free(real);
  }
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return;  // read-only

  static std::atomic<unsigned> serial{0};
  const std::string temp =
      target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
  bool ok;
  {
    FileDescriptor fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) return;
    ok = WriteAll(fd.get(), SerializeXml(document));
    if (ok && exists) {
      // Keep the file's owner and mode; a writer without the right to chown keeps its own.
      ok = (fchown(fd.get(), old.st_uid, old.st_gid) == 0 || errno == EPERM) &&
           fchmod(fd.get(), old.st_mode & 07777) == 0;
    }
    ok = fd.Close() && ok;
  }
  if (!ok || rename(temp.c_str(), target.c_str()) != 0) unlink(temp.c_str());
}

void ConfigStore::Update(const std::function<void(ConfigWriter&)>& edit) {
  XmlDocument document = Load();
  ConfigWriter writer(document.root);
  edit(writer);
  Save(document);
}

int ConfigStore::ReadInteger(std::string_view key, int fallback) const {
  return ConfigReader(Load().root).ReadInteger(key, fallback);
}

std::string ConfigStore::ReadString(std::string_view key, std::string fallback) const {
  return ConfigReader(Load().root).ReadString(key, std::move(fallback));
}

bool ConfigStore::ReadList(std::string_view key, std::vector<std::string>& list) const {
  return ConfigReader(Load().root).ReadList(key, list);
}

void ConfigStore::WriteInteger(std::string_view key, int value) {
  Update([&](ConfigWriter& w) { w.WriteInteger(key, value); });
}

void ConfigStore::WriteString(std::string_view key, std::string value) {
  Update([&](ConfigWriter& w) { w.WriteString(key, std::move(value)); });
}

void ConfigStore::WriteList(std::string_view key, const std::vector<std::string>& list) {
  Update([&](ConfigWriter& w) { w.WriteList(key, list); });
}

}  // namespace vexa
