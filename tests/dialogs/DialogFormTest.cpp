// What every dialog shares: its remembered place and the snapshot Cancel puts back.
#include "dialogs/DialogForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zmk {
namespace {

TEST(DialogPlace, RestoresItsSizeOnlyWhenItsWindowDoes)
{
    TMemorySettingsStore store;
    for (const char* name : {"FatForm", "CoilSettingsForm"}) {
        SCOPED_TRACE(name);
        TDialogPlace stored(name);
        stored.Place = {1250, -50, 640, 480, true, 0};
        stored.Store(store);

        TDialogPlace dialog(name);
        dialog.Place = {10, 20, 300, 200, false, 0};
        dialog.Restore(store, {1280, 1024});
        EXPECT_EQ(dialog.Place.Left, 1080); // held on a 1280-pixel screen
        EXPECT_EQ(dialog.Place.Top, 0);
        const bool withSize = std::string(name) == "FatForm";
        EXPECT_EQ(dialog.WithSize(), withSize);
        EXPECT_EQ(dialog.Place.Width, withSize ? 640 : 300);
        EXPECT_EQ(dialog.Place.Height, withSize ? 480 : 200);
    }
}

TEST(DialogSnapshot, CancelPutsBackWhatWasShownOnce)
{
    std::vector<double> values{1, 2, 3};
    TSnapshot<std::vector<double>> snapshot;
    snapshot.PutBack(values); // nothing taken: nothing changes
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3}));
    snapshot.Take(values);
    values = {9};
    snapshot.PutBack(values);
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3}));
    EXPECT_FALSE(snapshot.Taken());
    snapshot.Take(values);
    snapshot.Drop(); // accepted
    values = {7};
    snapshot.PutBack(values);
    EXPECT_EQ(values, (std::vector<double>{7}));
}

} // namespace
} // namespace zmk
