// What the window says around "Restore photos from copies…": why not at all, what it asks once
// the copies are checked, and what it tells when they are back.
#pragma once

#include <optional>
#include <string>

#include "photo/PhotoRestore.h"
#include "session/Notice.h"

namespace geotal {

// Why no restore can start: no photo folder, no copy folder, or the copy folder is the photo
// folder itself (its files are the photos, not copies of them).
std::optional<Notice> RestoreRefusal(const std::string& copyFolder, const std::string& photoFolder);

// After the check: a Yes/No question with what would be restored, removed and refused; or,
// where nothing would be, a box that says so and why, which asks nothing.
Notice RestoreQuestion(const RestorePlan& plan, const std::string& photoFolder);

// After the restore: what was restored and removed, and each refusal with its reason.
Notice RestoreReport(const RestorePlan& plan);

}  // namespace geotal
