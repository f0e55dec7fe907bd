#include "intake/scanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "config/day_count.h"
#include "config/paths.h"

namespace vexa {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

enum class Kind { kFile, kFolder, kOther };

// Regular files and links to regular files are files; folders (never through a link)
// are folders; everything else (links to folders, broken links, FIFOs, sockets,
// devices) is left out.
Kind KindOf(int dir_fd, const char* name, unsigned char d_type, struct stat& st) {
  if (d_type == DT_DIR) return Kind::kFolder;
  if (d_type != DT_REG && d_type != DT_LNK && d_type != DT_UNKNOWN) return Kind::kOther;
  if (fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return Kind::kOther;
  if (S_ISDIR(st.st_mode)) return Kind::kFolder;
  if (S_ISLNK(st.st_mode) && fstatat(dir_fd, name, &st, 0) != 0) return Kind::kOther;
  return S_ISREG(st.st_mode) ? Kind::kFile : Kind::kOther;
}

Tfiler FilerOf(const struct stat& st) { return Tfiler{ScannerTime(st.st_mtime), st.st_size}; }

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != text.npos; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

double ScannerTime(std::time_t mtime) {
  std::tm tm{};
  if (localtime_r(&mtime, &tm) == nullptr) {
    // Beyond what the C library can break down: whole UTC days keep the value stable.
    return static_cast<double>(mtime / 86400) + 25569.0;
  }
  return DayCount(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec & ~1);
}

TF_tree::TF_tree() { entries_.reserve(10000); }

void TF_tree::Scan(std::string_view startPath) {
  const std::string path(Trimmed(startPath));
  if (path.empty()) return;

  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISREG(st.st_mode)) {
      const std::string folder = FilePathPart(path);
      const std::string name = FileNamePart(path);
      if (Passes(folder, name)) Append(folder, name, FilerOf(st));
    } else if (S_ISDIR(st.st_mode)) {
      ListFolder(path.back() == '/' ? path : path + '/');
    }
    return;
  }

  // A pattern: only the first entry it matches is looked at, and only a file is listed.
  const std::string folder = FilePathPart(path);
  const std::string pattern = FileNamePart(path);
  if (!HasWildcard(pattern)) return;
  DirHandle dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return;
  while (const dirent* entry = readdir(dir.get())) {
    if (IsDotOrDotDot(entry->d_name) || !MatchesMask(entry->d_name, pattern, true)) continue;
    if (KindOf(dirfd(dir.get()), entry->d_name, entry->d_type, st) == Kind::kFile &&
        Passes(folder, entry->d_name)) {
      Append(folder, entry->d_name, FilerOf(st));
    }
    return;
  }
}

void TF_tree::ListFolder(const std::string& folder) {
  // The folder is read whole and closed before any subfolder is entered, so one
  // descriptor is open at a time however deep the tree is.
  struct Item {
    std::string name;
    Kind kind;
    Tfiler file;
  };
  std::vector<Item> items;
  {
    DirHandle dir(opendir(folder.c_str()));
    if (!dir) return;
    const int fd = dirfd(dir.get());
    struct stat st {};
    while (const dirent* entry = readdir(dir.get())) {
      if (IsDotOrDotDot(entry->d_name)) continue;
      if (entry->d_type == DT_DIR && !Recursive) continue;
      // Masks first where the name alone decides, to spare a stat per excluded file.
      if ((entry->d_type == DT_REG || entry->d_type == DT_LNK) && !Passes(folder, entry->d_name)) {
        continue;
      }
      const Kind kind = KindOf(fd, entry->d_name, entry->d_type, st);
      if (kind == Kind::kOther || (kind == Kind::kFolder && !Recursive)) continue;
      items.push_back({entry->d_name, kind, kind == Kind::kFile ? FilerOf(st) : Tfiler{}});
    }
  }
  for (const Item& item : items) {
    if (item.kind == Kind::kFile) {
      if (Passes(folder, item.name)) Append(folder, item.name, item.file);
    } else {
      ListFolder(folder + item.name + '/');
    }
  }
}

bool TF_tree::Passes(const std::string& folder, std::string_view name) const {
  return IncludeMasks.empty() || MatchesMaskList(folder, name, IncludeMasks, true);
}

void TF_tree::Append(const std::string& folder, std::string_view name, const Tfiler& file) {
  std::string path;
  path.reserve(folder.size() + name.size());
  path.append(folder).append(name);
  entries_.emplace_back(std::move(path), file);
}

}  // namespace vexa
