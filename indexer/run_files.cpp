#include "indexer/run_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "config/utf8.h"
#include "index/search_text.h"


namespace vexa {

std::vector<std::string> ReadLogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> ComposeLogFile(const std::string& startText,
                                        const std::vector<std::string>& runLines,
                                        const std::string& endText, const std::string& duration,
                                        std::vector<std::string> previous) {
  std::vector<std::string> lines;
  lines.reserve(runLines.size() + 3 + previous.size());
  lines.push_back("------------------ Indexing started " + startText);
  // A message may hold line breaks of its own (database errors do): each part becomes a
  // line of the file.
  for (const std::string& line : runLines) {
    std::size_t begin = 0;
    for (std::size_t cr; (cr = line.find('\r', begin)) != std::string::npos; begin = cr + 1) {
      lines.push_back(line.substr(begin, cr - begin));
    }
    lines.push_back(line.substr(begin));
  }
  lines.push_back("------------------ Indexing ended   " + endText + "    duration " + duration);
  lines.emplace_back();
  if (previous.size() > kLogLineLimit) {
    const std::size_t room = lines.size() < kLogLineLimit ? kLogLineLimit - lines.size() : 0;
    if (previous.size() > room) previous.resize(room);
  }
  lines.insert(lines.end(), std::make_move_iterator(previous.begin()),
               std::make_move_iterator(previous.end()));
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  const std::string temp = path + ".tmp";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) throw std::runtime_error(path + ": " + std::strerror(errno));
  bool ok = true;
  for (const auto& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
         std::fwrite("\r\n", 1, 2, file) == 2;
  }
  const int write_errno = errno;
  ok = (std::fclose(file) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = ok ? errno : write_errno;
    unlink(temp.c_str());
    throw std::runtime_error(path + ": " + std::strerror(error));
  }
}

std::string ReportText(std::string_view text) {
  const std::string escaped = HtmlEscape(text);
  std::string_view rest = escaped;
  std::string out;
  out.reserve(escaped.size() + 16);
  while (!rest.empty()) {
    if (static_cast<unsigned char>(rest.front()) < 0x80) {
      out += rest.front();
      rest.remove_prefix(1);
      continue;
    }
    char32_t cp = 0;
    std::size_t length = DecodeUtf8(rest, cp);
    if (length == 0) cp = 0xFFFD, length = 1;
    out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ';';
    rest.remove_prefix(length);
  }
  return out;
}

std::string SkippedReportHeader(const std::string& programFolder) {
  std::string folder = programFolder;
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  return "<html><head><link rel=\"stylesheet\" href=\"" + ReportText("file://" + folder) +
         "/CSS/style.css\"></head><body><h2>The list of skipped files</h2><hr><table class=\"w\">";
}

std::string SkippedReportRow(int number, const std::string& path, const std::string& reason) {
  return "<tr><td>" + std::to_string(number) + ".</td><td>" + ReportText(path) + "</td><td>" +
         ReportText(reason) + "</td></tr>";
}

}  // namespace vexa
