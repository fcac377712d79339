// Carrying a file's owner, group, permission bits and extended attributes over to its
// replacement, so that a rewritten photo stays what it was to the system.
#pragma once

#include <string>

namespace geotal {

// Gives the file at to the owner and group of the file at from (only root may give a file away:
// another user's photo fails; the group is kept where the process may set it), then every extended
// attribute from has (its ACL among them), removing those it lacks, then its permission bits. On
// failure, error names the file and the system's reason.
bool CopyFileAttributes(const std::string& from, const std::string& to, std::string& error);

}  // namespace geotal
