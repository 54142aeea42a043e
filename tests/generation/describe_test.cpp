#include "generation/RaceProfile.h"

#include "DescriptionTexts.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

namespace vellicor {
namespace {

using testing::CategoryRows;
using testing::categoryRows;
using testing::fallback;
using testing::SuffixCase;
using testing::suffixCases;

TEST(Describe, EveryRowOfEveryCategory)
{
    for (const CategoryRows &rows : categoryRows) {
        for (std::int32_t index = 0; index < 10; ++index) {
            SCOPED_TRACE(::testing::Message() << "category " << rows.category << " row " << index);
            RaceProfile profile;
            profile.*rows.index = index;
            if (rows.extension)
                profile.*rows.extension = 1;
            EXPECT_EQ(profile.describe(rows.category), rows.texts[index]);
        }
    }
}

TEST(Describe, UnrolledOrOutOfRangeIndexGivesTheFallback)
{
    for (const CategoryRows &rows : categoryRows) {
        for (const std::int32_t index : {-1, 10, INT_MIN, INT_MAX}) {
            SCOPED_TRACE(::testing::Message() << "category " << rows.category << " row " << index);
            RaceProfile profile;
            profile.*rows.index = index;
            EXPECT_EQ(profile.describe(rows.category), fallback);
        }
    }
}

TEST(Describe, CategoryOutsideTheTenGivesTheFallback)
{
    RaceProfile profile;
    profile.basicType = 0;
    profile.problems = 0;
    for (const std::int32_t category : {-1, 10, 11, INT_MIN, INT_MAX})
        EXPECT_EQ(profile.describe(static_cast<Category>(category)), fallback) << category;
}

TEST(Describe, SuffixThresholds)
{
    for (const SuffixCase &c : suffixCases) {
        SCOPED_TRACE(::testing::Message() << "category " << c.category << " row " << c.row
                                          << " extension " << c.extensionValue);
        RaceProfile profile;
        profile.*c.index = c.row;
        profile.*c.extension = c.extensionValue;
        EXPECT_EQ(profile.describe(c.category), c.text);
    }
}

TEST(Describe, TechSciLevelWorkedExample)
{
    RaceProfile profile;
    profile.compEng = {0, 5, 30};
    profile.elecEng = {1, 5, -50};
    profile.mechEng = {2, 5, -10};
    profile.powrEng = {1, 4, 0};
    profile.weapEng = {4, 5, -30};
    const std::string text = profile.describe(TechSciLevel);
    EXPECT_EQ(text.size(), 439u);
    EXPECT_EQ(text, "Computer Engineering\r\n"
                    "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = 30\r\n"
                    "\r\n"
                    "Electrical Engineering\r\n"
                    "Difficulty Level = 1     Rank Bonus = 5     Misc Modifier = -50\r\n"
                    "\r\n"
                    "Mechanical Engineering\r\n"
                    "Difficulty Level = 2     Rank Bonus = 5     Misc Modifier = -10\r\n"
                    "\r\n"
                    "Power Engineering\r\n"
                    "Difficulty Level = 1     Rank Bonus = 4     Misc Modifier = 0\r\n"
                    "\r\n"
                    "Weapon Engineering\r\n"
                    "Difficulty Level = 4     Rank Bonus = 5     Misc Modifier = -30\r\n");
}

TEST(Describe, FreshProfile)
{
    const RaceProfile fresh;
    for (std::int32_t category = 0; category < 10; ++category) {
        if (category != TechSciLevel) {
            EXPECT_EQ(fresh.describe(static_cast<Category>(category)), fallback) << category;
        }
    }
    const std::string unrolled = "Difficulty Level = -1     Rank Bonus = -1     Misc Modifier = -1";
    const std::string text = fresh.describe(TechSciLevel);
    EXPECT_EQ(text.size(), 447u);
    EXPECT_EQ(text, "Computer Engineering\r\n" + unrolled + "\r\n\r\nElectrical Engineering\r\n" +
                        unrolled + "\r\n\r\nMechanical Engineering\r\n" + unrolled +
                        "\r\n\r\nPower Engineering\r\n" + unrolled +
                        "\r\n\r\nWeapon Engineering\r\n" + unrolled + "\r\n");
}

TEST(Describe, TechSciLevelShowsAnyNumber)
{
    RaceProfile profile;
    profile.compEng = {INT_MIN, INT_MAX, 0};
    const std::string text = profile.describe(TechSciLevel);
    EXPECT_EQ(text.substr(0, 104), "Computer Engineering\r\nDifficulty Level = -2147483648     "
                                   "Rank Bonus = 2147483647     Misc Modifier = 0\r\n");
}

} // namespace
} // namespace vellicor
