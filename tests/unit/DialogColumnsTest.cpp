// How the column dialog takes a bar's list apart into what it offers and what it keeps aside,
// and how OK puts it back together: "Account No." first, every ignored column at its place.
#include "columns/DialogColumns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// A column list by ids in order; a negative entry is that column, ignored.
std::vector<ColumnSetting> Columns(std::initializer_list<int> ids) {
    std::vector<ColumnSetting> columns;
    for (const int id : ids) {
        columns.push_back(ColumnSetting{id >= 0, id < 0 ? -id : id, false, id < 0, 0});
    }
    return columns;
}

// "3 !5 4": the ids in order, each ignored one marked.
std::string Ids(const std::vector<ColumnSetting>& columns) {
    std::string text;
    for (const ColumnSetting& column : columns) {
        text += (text.empty() ? "" : " ") + std::string(column.bIgnored ? "!" : "") +
                std::to_string(column.nColId);
    }
    return text;
}

// "account 0 width 55; offered 1 2; ignored 7@2 5@4": the ignored ones with their places.
std::string Described(const DialogColumns& parts) {
    std::string text = "account " + std::to_string(parts.account.nColId) + " width " +
                       std::to_string(parts.account.nWidth) + "; offered " + Ids(parts.offered) + "; ignored";
    for (const auto& [nPlace, column] : parts.ignored) {
        text += " " + std::to_string(column.nColId) + "@" + std::to_string(nPlace);
    }
    return text;
}

} // namespace

TEST(DialogColumns, SplitSetsAccountAsideOrTakesTheDefaultAndKeepsIgnoredWithTheirPlacesAfterIt) {
    std::vector<ColumnSetting> columns = Columns({1, 2, 0, -7, 3, -5, -6, 4});
    columns[2].nWidth = 55; // "Account No." with a width of its own
    const ColumnSetting fallback = {true, 0, false, false, 12};
    // Places count the columns after "Account No.", wherever it stood.
    EXPECT_EQ(Described(SplitForDialog(columns, fallback)),
              "account 0 width 55; offered 1 2 3 4; ignored 7@2 5@4 6@5");
    EXPECT_EQ(Described(SplitForDialog(Columns({1, -2, 3}), fallback)),
              "account 0 width 12; offered 1 3; ignored 2@1");
}

// An untouched split gives the list back; whatever the offered order, "Account No." comes first
// and each ignored column back at its place, or last where the offered columns became fewer.
TEST(DialogColumns, MergePutsAccountFirstAndIgnoredBackAtTheirPlaces) {
    for (const auto& list :
         {Columns({0, 1, 2, 3}), Columns({0, -1, -2, 3, -4}), Columns({0, -1, -2}), Columns({0})}) {
        EXPECT_EQ(Ids(MergeFromDialog(SplitForDialog(list, Columns({0})[0]))), Ids(list));
    }
    DialogColumns parts = SplitForDialog(Columns({1, -2, -3, 4, 5, 0, -6, 7}), Columns({0})[0]);
    std::reverse(parts.offered.begin(), parts.offered.end());
    EXPECT_EQ(Ids(MergeFromDialog(parts)), "0 7 !2 !3 5 4 !6 1");
    parts = {Columns({0})[0], Columns({1}), {{5, Columns({-9})[0]}, {8, Columns({-4})[0]}}};
    EXPECT_EQ(Ids(MergeFromDialog(parts)), "0 1 !9 !4");
}
