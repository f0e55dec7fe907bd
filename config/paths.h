// Path and file-name utilities: trailing separators, splitting a path into folder, name
// and extension, wildcard masks, and the existence check of a folder to index with its
// user-facing message.
//
// Both "/" and "\" count as separators (profiles may come from other systems); ":" also
// ends a folder part ("C:name"). Texts are UTF-8. Only EnsureFolder, CheckPath and the
// drive functions touch the file system. Thread-safety: all functions are reentrant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Creates the folder with its missing parents unless it exists. Throws
// std::runtime_error("Can't create directory %s") when it still does not exist.
void EnsureFolder(const std::string& path);

// The system's message for an error code (errno by default) between "(" and ")".
std::string LastErrorText(int error);
std::string LastErrorText();

// `text` without one final "/" or "\"; an empty text stays empty.
std::string ExcludeTrailingSeparator(std::string_view text);
// `text` + `suffix` unless `text` already ends with it; an empty text gives `suffix`.
std::string WithTrailingSuffix(std::string_view text, std::string_view suffix);

// The text up to and including the last "/", "\" or ":"; empty when there is none.
std::string FilePathPart(std::string_view path);
// The text after FilePathPart.
std::string FileNamePart(std::string_view path);
// The text before the last "." that follows the last separator; the text itself when
// there is no such point ("C:\dir.x\file" stays whole).
std::string NameWithoutExtension(std::string_view text);
// What NameWithoutExtension removes, point included (".indp"), or empty.
std::string ExtensionPart(std::string_view text);

// Wildcard match of a file name against a mask: "*" any run of characters (also none),
// "?" exactly one character (a UTF-8 character, not a byte). A name equal to the mask
// and the mask "*" always match; otherwise an empty name or mask never matches. With
// `ignore_case` letters compare without regard to case (Unicode simple case mapping).
bool MatchesMask(std::string_view name, std::string_view mask, bool ignore_case);

// Whether two texts are equal without regard to letter case (Unicode simple case
// mapping, as MatchesMask with `ignore_case`).
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// True when `name` matches at least one mask. A mask holding "/" or "\" is matched
// against `folder` + `name` (`folder` with its trailing separator; in the mask both
// separators stand for "/"), any other mask against `name` alone.
bool MatchesMaskList(std::string_view folder, std::string_view name,
                     const std::vector<std::string>& masks, bool ignore_case);

// One line of /proc/self/mounts: mount point and file-system type.
struct Mount {
  std::string point;
  std::string type;
};
// Parses a mount table in the /proc/self/mounts format (octal escapes decoded).
std::vector<Mount> ParseMounts(std::string_view table);
// The mount table of this process (empty when /proc is not readable).
std::vector<Mount> CurrentMounts();

// The drive part of a path and whether it can be reached. For a path below a removable
// or network mount root (/media/USER/NAME, /run/media/USER/NAME, /mnt/NAME) the drive is
// that root, reachable when it is mounted; for a path below a mount point of a network
// file system (nfs, cifs, smb3, sshfs) the drive is that mount point, reachable; any
// other path's drive is "/", always reachable.
struct Drive {
  std::string root;
  bool reachable = true;
};
Drive DriveOf(std::string_view path, const std::vector<Mount>& mounts);
Drive DriveOf(std::string_view path);

// The existence check of a folder (or file, or pattern) to index.
struct PathCheck {
  bool exists = false;
  std::string message;  // empty when the path exists
};
// One trailing separator is ignored. A path with "*" or "?" exists when it matches at
// least one entry (hidden entries included). A missing path gives the message
// "\"%s\" - drive %s is not found" when its drive ("X:" of a drive-letter path, or a
// mount root per DriveOf) is unreachable, else "\"%s\" - the file or path is not found
// (%s)" with the system's error text.
PathCheck CheckPath(std::string_view path);

}  // namespace vexa
