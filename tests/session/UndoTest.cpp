// Ctrl+Z before writing: each change to the positions is taken back on its own, latest first,
// and nothing reaches back past an Update or a load.
#include <gtest/gtest.h>

#include "session/UndoSteps.h"
#include "session/WalkSession.h"

namespace geotal {
namespace {

// a.jpg and b.jpg inside a ten-minute walk, c.jpg after it; loaded.
class UndoTest : public test::WalkSession {
protected:
    void SetUp() override {
        WalkSession::SetUp();
        Load();
    }
    const PhotoRecord& Photo(int index) const { return session_.Photos()[index]; }
};

TEST_F(UndoTest, takesBackPlacingPasteAndCalculationOneAtATimeThenSaysThereIsNoMore) {
    EXPECT_FALSE(session_.CanUndo()) << "a load is no change to take back";
    Calculate();
    ASSERT_TRUE(Photo(0).HasPosition());
    const GeoPosition calculated = *Photo(0).position;
    ASSERT_FALSE(session_.Copy(0));
    ASSERT_FALSE(session_.Paste({2}));
    session_.PlaceByHand({0}, 10.0, 20.0);
    EXPECT_EQ(Photo(0).note, "Position placed by hand on the map");

    ASSERT_TRUE(session_.Undo());
    EXPECT_EQ(session_.Summary(), "Undone: the placing on the map");
    EXPECT_EQ(Photo(0).position, calculated);
    EXPECT_NE(Photo(0).note, "Position placed by hand on the map") << "its note comes back too";
    EXPECT_TRUE(Photo(2).HasPosition()) << "the paste before it stays";

    ASSERT_TRUE(session_.Undo());
    EXPECT_EQ(session_.Summary(), "Undone: the paste");
    EXPECT_FALSE(Photo(2).HasPosition());
    EXPECT_FALSE(Photo(2).marked);

    ASSERT_TRUE(session_.Undo());
    EXPECT_EQ(session_.Summary(), "Undone: the calculation");
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Photo(i).HasPosition()) << i;
    }
    EXPECT_FALSE(session_.ExitQuestion()) << "nothing is left to write";
    EXPECT_FALSE(session_.Undo());
    EXPECT_FALSE(session_.CanUndo());
}

// A removal taken back is no removal: Update then leaves the file's position where it is.
TEST_F(UndoTest, aRemovalTakenBackLeavesTheFilesPositionToBeKept) {
    Calculate();
    NullProgress progress;
    session_.TakeUpdate(session_.Update(progress, {}), false);
    ASSERT_TRUE(Photo(0).stored);
    ASSERT_FALSE(session_.RemovePositions({0}));
    EXPECT_TRUE(Photo(0).IsRemoval());
    ASSERT_TRUE(session_.Undo());
    EXPECT_EQ(session_.Summary(), "Undone: the removal");
    EXPECT_FALSE(Photo(0).IsRemoval());
    EXPECT_FALSE(Photo(0).removing);
    EXPECT_EQ(Photo(0).position, Photo(0).stored);
    EXPECT_FALSE(session_.ExitQuestion());
}

TEST_F(UndoTest, nothingReachesBackPastAnUpdateOrALoad) {
    Calculate();
    NullProgress progress;
    session_.TakeUpdate(session_.Update(progress, {}), false);
    EXPECT_FALSE(session_.CanUndo());
    EXPECT_FALSE(session_.Undo());
    EXPECT_TRUE(Photo(0).HasPosition()) << "the written position stays";

    session_.PlaceByHand({2}, 10.0, 20.0);
    ASSERT_TRUE(session_.CanUndo());
    Load();
    EXPECT_FALSE(session_.CanUndo()) << "the rows it would change belonged to the old load";
}

// A change that altered no record is no step: an undo then takes back the one before it.
TEST(UndoSteps, keepsOnlyChangesThatAlteredARecordAndAtMostTheLastHundred) {
    PhotoList photos;
    photos.records.resize(2);
    UndoSteps steps;
    steps.Begin(photos);
    steps.End(photos, "nothing");
    EXPECT_FALSE(steps.CanUndo());

    for (int i = 0; i < 150; ++i) {
        steps.Begin(photos);
        photos[1].position = GeoPosition{double(i), double(i), {}, {}};
        steps.End(photos, std::to_string(i));
    }
    int undone = 0;
    std::string last;
    while (const auto what = steps.Undo(photos)) {
        last = *what;
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(last, "50");
    EXPECT_EQ(photos[1].position->latitude, 49.0) << "as it was before the oldest step kept";

    // A step never lands on another list's rows.
    steps.Begin(photos);
    photos[0].marked = true;
    steps.End(photos, "mark");
    photos.records.resize(3);
    EXPECT_FALSE(steps.Undo(photos));
    EXPECT_TRUE(photos[0].marked);
}

}  // namespace
}  // namespace geotal
