// What the window says around a restore: a question only where there is something to do, with
// what is left alone named; the report names each refusal with its reason.
#include "session/RestoreNotices.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace geotal {
namespace {

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

FileRestore With(RestoreAction action, std::string reason = {}) {
    FileRestore file;
    file.action = action;
    file.reason = std::move(reason);
    return file;
}

RestorePlan PlanOf(std::vector<PhotoRestore> photos) {
    RestorePlan plan;
    plan.copyFolder = "/backup";
    plan.photos = std::move(photos);
    return plan;
}

TEST(RestoreNotices, asksOnlyWhereSomethingWouldBeRestoredAndNamesWhatIsLeftAlone) {
    const RestorePlan some =
        PlanOf({{"/p/a.jpg", With(RestoreAction::Restore), With(RestoreAction::None)},
                {"/p/b.cr2", With(RestoreAction::None), With(RestoreAction::Remove)},
                {"/p/c.jpg", With(RestoreAction::Refused, "changed since the copy"),
                 With(RestoreAction::None)}});
    const Notice question = RestoreQuestion(some, "/p");
    EXPECT_EQ(question.typeWord, kMessageWarning | kMessageYesNo);
    EXPECT_TRUE(Mentions(question.text,
                         "1 photo and 0 sidecars to restore, 1 sidecar made by a "
                         "run to remove, 1 photo to be refused"))
        << question.text;
    EXPECT_TRUE(Mentions(question.text, "\nc.jpg")) << question.text;

    const RestorePlan none =
        PlanOf({{"/p/c.jpg", With(RestoreAction::Refused, "changed since the copy"),
                 With(RestoreAction::None)}});
    const Notice told = RestoreQuestion(none, "/p");
    EXPECT_EQ(told.typeWord, kMessageWarning) << "nothing to ask";
    EXPECT_TRUE(Mentions(told.text, "c.jpg: changed since the copy")) << told.text;

    RestorePlan refused;
    refused.refusal = "Cannot open the copy folder /gone: No such file or directory";
    EXPECT_EQ(RestoreQuestion(refused, "/p").typeWord, kMessageWarning);
}

TEST(RestoreNotices, reportsEachRefusalWithItsReason) {
    const Notice done = RestoreReport(
        PlanOf({{"/p/a.jpg", With(RestoreAction::Restore), With(RestoreAction::None)}}));
    EXPECT_EQ(done, (Notice{"1 photo and 0 sidecars restored.", kMessageInformation}));
    const Notice partly =
        RestoreReport(PlanOf({{"/p/a.jpg", With(RestoreAction::Restore), With(RestoreAction::None)},
                              {"/p/b.cr2", With(RestoreAction::None),
                               With(RestoreAction::Refused, "changed meanwhile")}}));
    EXPECT_EQ(partly.typeWord, kMessageWarning);
    EXPECT_TRUE(Mentions(partly.text, "b.cr2: changed meanwhile")) << partly.text;
}

TEST(RestoreNotices, refusesTheCopyFolderThatIsThePhotoFolder) {
    test::TempFolder folder;
    ASSERT_TRUE(RestoreRefusal(folder.path(), folder.path() + "/"));
    EXPECT_TRUE(RestoreRefusal("", folder.path()));
    EXPECT_FALSE(RestoreRefusal("/", folder.path()));
}

}  // namespace
}  // namespace geotal
