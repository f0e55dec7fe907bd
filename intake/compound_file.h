// A look into Compound File Binary containers (the OLE storage of legacy Office files and
// of encrypted Office Open XML packages): whether its directory lists an entry.
//
// Only the header, the allocation table sectors on the directory's chain and the directory
// itself are read. Every offset and chain is checked against the file size, and chains
// are followed at most as many steps as the file has sectors, so a damaged or hostile file
// gives "no such stream", never a crash or a loop.
//
// Thread-safety: stateless.
#pragma once

#include <string_view>

namespace vexa::intake {

// Whether the compound file open on `fd` holds a directory entry named `name` (ASCII,
// compared without regard to case). False when the file is not a readable compound file.
bool CompoundFileHasEntry(int fd, std::string_view name);

}  // namespace vexa::intake
