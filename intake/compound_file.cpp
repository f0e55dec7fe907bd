#include "intake/compound_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "intake/document_file.h"

namespace vexa::intake {
namespace {

constexpr std::uint32_t kLastRegularSector = 0xFFFFFFFA;  // higher values end a chain
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirectoryEntrySize = 128;

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t Le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

class CompoundFile {
 public:
  CompoundFile(int fd, std::uint64_t fileSize, const std::string& header)
      : fd_(fd), fileSize_(fileSize) {
    const std::uint16_t shift = Le16(header, 0x1E);
    sectorSize_ = shift == 12 ? 4096 : 512;
    sectorCount_ = fileSize_ / sectorSize_;
    const std::uint32_t fatSectors = Le32(header, 0x2C);
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectorIds_.size() < fatSectors; ++i) {
      fatSectorIds_.push_back(Le32(header, 0x4C + 4 * i));
    }
    // Further allocation table sectors are listed in a chain of DIFAT sectors.
    std::uint32_t difat = Le32(header, 0x44);
    for (std::uint64_t steps = 0;
         difat < kLastRegularSector && steps < sectorCount_ && fatSectorIds_.size() < fatSectors;
         ++steps) {
      const std::string sector = ReadSector(difat);
      if (sector.empty()) break;
      const std::size_t perSector = sectorSize_ / 4 - 1;
      for (std::size_t i = 0; i < perSector && fatSectorIds_.size() < fatSectors; ++i) {
        fatSectorIds_.push_back(Le32(sector, 4 * i));
      }
      difat = Le32(sector, 4 * perSector);
    }
  }

  std::uint64_t SectorCount() const { return sectorCount_; }
  std::size_t SectorSize() const { return sectorSize_; }

  // The sector's bytes; empty when it lies outside the file.
  std::string ReadSector(std::uint32_t id) const {
    const std::uint64_t offset = (static_cast<std::uint64_t>(id) + 1) * sectorSize_;
    if (offset + sectorSize_ > fileSize_) return {};
    std::string bytes(sectorSize_, '\0');
    if (::pread(fd_, bytes.data(), sectorSize_, static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(sectorSize_)) {
      return {};
    }
    return bytes;
  }

  // The sector after `id` on its chain; kLastRegularSector or above at the end.
  std::uint32_t Next(std::uint32_t id) const {
    const std::size_t perSector = sectorSize_ / 4;
    const std::size_t fatIndex = id / perSector;
    if (fatIndex >= fatSectorIds_.size()) return 0xFFFFFFFE;
    const std::uint64_t offset =
        (static_cast<std::uint64_t>(fatSectorIds_[fatIndex]) + 1) * sectorSize_ +
        (id % perSector) * 4;
    std::string entry(4, '\0');
    if (offset + 4 > fileSize_ || ::pread(fd_, entry.data(), 4, static_cast<off_t>(offset)) != 4) {
      return 0xFFFFFFFE;
    }
    return Le32(entry, 0);
  }

 private:
  int fd_;
  std::uint64_t fileSize_;
  std::size_t sectorSize_ = 512;
  std::uint64_t sectorCount_ = 0;
  std::vector<std::uint32_t> fatSectorIds_;
};

bool NameEquals(const std::string& sector, std::size_t entry, std::string_view name) {
  const std::size_t bytes = Le16(sector, entry + 0x40);  // UTF-16 units and terminator
  if (bytes != (name.size() + 1) * 2) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const std::uint16_t unit = Le16(sector, entry + 2 * i);
    auto lower = [](std::uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(unit) != lower(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

}  // namespace

bool CompoundFileHasEntry(int fd, std::string_view name) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  const std::string header = ReadHead(fd, 512);
  if (header.size() < 512 || !IsCompoundFile(header)) return false;
  const CompoundFile file(fd, static_cast<std::uint64_t>(st.st_size), header);
  std::uint32_t sector = Le32(header, 0x30);
  for (std::uint64_t steps = 0; sector < kLastRegularSector && steps < file.SectorCount();
       ++steps) {
    const std::string bytes = file.ReadSector(sector);
    if (bytes.empty()) return false;
    for (std::size_t e = 0; e + kDirectoryEntrySize <= bytes.size(); e += kDirectoryEntrySize) {
      if (NameEquals(bytes, e, name)) return true;
    }
    sector = file.Next(sector);
  }
  return false;
}

}  // namespace vexa::intake
