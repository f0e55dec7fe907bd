// Rules of the profile editor that need no window: which characters a profile name
// refuses, the ".db" rule of the index file field, and when "Save" is offered.
//
// Texts are UTF-8. Thread-safety: pure functions, callable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace vexa {

// The 27 characters a profile name refuses, in their documented order: space, \ / > < ,
// : ; * " ' ( ) & % @ ! ~ ` | { } [ ] = + and the full stop. A profile name becomes a
// file name and a command-line word, so these never get into one.
inline constexpr std::string_view kRefusedProfileChars = " \\/><,:;*\"'()&%@!~`|{}[]=+.";

// True when `c` is one of kRefusedProfileChars.
bool IsRefusedProfileChar(char32_t c);

// The index file field after the user leaves it: unchanged when empty or when its
// extension (ExtensionPart) is ".db" in any letter case, else the text with ".db"
// appended ("idx" -> "idx.db", "idx.DB" stays, "idx.sqlite" -> "idx.sqlite.db").
std::string WithIndexExtension(std::string_view file);

// The file name the index file chooser proposes: the field's text when it is not empty,
// else the profile name + ".db".
std::string ProposedIndexFile(std::string_view indexFile, std::string_view profileName);

// Whether "Save" is enabled: name, index file and title all not empty, at least one
// folder row, and the profile built from the fields differs from the snapshot.
bool SaveAllowed(std::string_view name, std::string_view indexFile, std::string_view title,
                 int rowCount, bool changed);

}  // namespace vexa
