// The files an indexing run leaves in the logs folder for each profile NAME:
// - NAME.log, the run log: newest run first, each run framed by a start and an end line
//   and followed by an empty line, held to about 2000 lines by dropping the oldest ones;
// - NAME_skipped.html, the report of the files whose text could not be read.
//
// Texts are UTF-8 like every text of the programs; the log has CR LF line ends. Paths and
// reasons in the report are HTML-escaped, and so are its non-ASCII characters (as
// numeric references), so the report reads right whatever charset a browser assumes and
// whatever bytes a file name holds.
//
// Thread-safety: the functions hold no state; concurrent writes of one file are not
// coordinated (one run writes one profile's files).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// The lines of a text file, split at LF with a CR before it removed; a final line end
// adds no empty line. A missing or unreadable file gives no lines.
std::vector<std::string> ReadLogLines(const std::string& path);

// The lines of a new log file: "------------------ Indexing started " + startText, the
// run's lines, "------------------ Indexing ended   " + endText + "    duration " +
// duration, an empty line, then `previous`. A run line holding CRs is split into one
// line per part. When `previous` has more than kLogLineLimit
// lines its oldest lines (at its end) are dropped until everything fits in kLogLineLimit
// lines or no previous line is left; the new run's lines are never dropped.
inline constexpr std::size_t kLogLineLimit = 2000;
std::vector<std::string> ComposeLogFile(const std::string& startText,
                                        const std::vector<std::string>& runLines,
                                        const std::string& endText, const std::string& duration,
                                        std::vector<std::string> previous);

// Writes `lines`, each followed by CR LF, to `path` in place of its contents: written to
// a temporary file beside it and renamed over it, so a failure leaves the old file whole.
// Throws std::runtime_error with the system's reason when the file cannot be written.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);

// `text` (UTF-8) for the report: HtmlEscape's entities, and every non-ASCII character as
// a numeric reference (bytes that are not UTF-8 as U+FFFD), so the report is plain ASCII.
std::string ReportText(std::string_view text);

// The report's lines. The header links "file://" + programFolder + "/CSS/style.css"; a
// row holds the running number, the path and the reason (FilterErrorText of the code).
std::string SkippedReportHeader(const std::string& programFolder);
std::string SkippedReportRow(int number, const std::string& path, const std::string& reason);
inline constexpr char kSkippedReportFooter[] = "</table></body></html>";

}  // namespace vexa
