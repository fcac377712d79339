#include "session/RestoreNotices.h"

#include <vector>

#include "photo/PhotoPaths.h"
#include "photo/PhotoWriter.h"

namespace geotal {
namespace {

constexpr std::size_t kShown = 10;

bool IsRefused(const PhotoRestore& photo) {
    return photo.photo.action == RestoreAction::Refused ||
           photo.sidecar.action == RestoreAction::Refused;
}

// The refused photos by name, with their reasons where asked, the first few of them.
std::string RefusedList(const RestorePlan& plan, bool withReasons) {
    std::vector<const PhotoRestore*> refused;
    for (const PhotoRestore& photo : plan.photos) {
        if (IsRefused(photo)) {
            refused.push_back(&photo);
        }
    }
    std::string text;
    for (std::size_t i = 0; i < refused.size() && i < kShown; ++i) {
        const PhotoRestore& photo = *refused[i];
        text += "\n" + FileNameOf(photo.path);
        if (withReasons) {
            const FileRestore& file =
                photo.photo.action == RestoreAction::Refused ? photo.photo : photo.sidecar;
            text += ": " + file.reason;
        }
    }
    if (refused.size() > kShown) {
        text += "\nand " + std::to_string(refused.size() - kShown) + " more";
    }
    return text;
}

}  // namespace

std::optional<Notice> RestoreRefusal(const std::string& copyFolder,
                                     const std::string& photoFolder) {
    if (photoFolder.empty()) {
        return Notice{"Please choose the photo folder to restore first.", kMessageWarning};
    }
    if (copyFolder.empty()) {
        return Notice{"Please choose the folder that holds the copies.", kMessageWarning};
    }
    if (IsSameFolder(copyFolder, photoFolder)) {
        return Notice{copyFolder +
                          " is the photo folder itself: it holds the photos, not copies of "
                          "them. Choose the folder the copies were made in.",
                      kMessageWarning};
    }
    return std::nullopt;
}

Notice RestoreQuestion(const RestorePlan& plan, const std::string& photoFolder) {
    if (!plan.refusal.empty()) {
        return {plan.refusal + ". Nothing was restored.", kMessageWarning};
    }
    const RestoreCounts counts = CountsOf(plan);
    if (counts.photos + counts.sidecars + counts.removed == 0) {
        std::string text = "Nothing to restore from " + plan.copyFolder + " into " + photoFolder +
                           ": no copy there differs from its photo or sidecar only by a "
                           "position.";
        if (counts.refused > 0) {
            text += "\n\nLeft as they are:" + RefusedList(plan, true);
        }
        return {text, counts.refused > 0 ? kMessageWarning : kMessageInformation};
    }
    std::string text = "Restore from the copies in " + plan.copyFolder + ": " +
                       RestoreCountsText(counts, true) +
                       ".\n\nThe files now in the photo folder are replaced by their copies, "
                       "and the positions written into them are gone; the copies stay.";
    if (counts.refused > 0) {
        text += "\n\nLeft as they are (the report will say why):" + RefusedList(plan, false);
    }
    if (!plan.strays.empty()) {
        text += "\n\n" + std::to_string(plan.strays.size()) +
                " files of the copy folder belong to no photo of this folder and are left alone.";
    }
    return {text + "\n\nRestore them?", kMessageWarning | kMessageYesNo};
}

Notice RestoreReport(const RestorePlan& plan) {
    const RestoreCounts counts = CountsOf(plan);
    std::string text = RestoreCountsText(counts, false) + ".";
    if (counts.refused > 0) {
        text += "\n\nLeft as they are:" + RefusedList(plan, true);
        return {text, kMessageWarning};
    }
    return {text, kMessageInformation};
}

}  // namespace geotal
