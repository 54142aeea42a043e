#pragma once

#include "formats/FoundryJournal.h"
#include "formats/RolledRace.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellicor {

enum class OutputFormat : std::int32_t { Text = 0, Markdown = 1, Json = 2, Foundry = 3 };

// How locations and formats are spelled on the command line and in the JSON, by value.
inline constexpr std::array<std::string_view, 3> locationNames{"inner", "frontier", "backnet"};
inline constexpr std::array<std::string_view, 4> formatNames{"text", "markdown", "json", "foundry"};

// The label each category carries in the dialog and in every format, by Category.
inline constexpr std::array<std::string_view, 10> categoryLabels{
    "Basic Type",          "Racial Origins", "Kinship Structure", "Values",
    "Political Structure", "Tech/Sci Level", "Language",          "Worship",
    "Xeno Acceptance",     "Problems"};

// The label each location carries in the dialog and in every format, by Location.
inline constexpr std::array<std::string_view, 3> locationLabels{"Inner Province", "Frontier",
                                                                "Backnet"};

// "Race 3: Backnet, 120 light years from Sol, seed 1700000000, after 46 dice": the line that
// opens a race in every format, which names all that `vellicor-cli` needs to roll the race again
// (--seed, --dice, --location and --lightyears).
std::string raceHeading(const RolledRace &race);

// Each format appends one race to `buffer`; the texts keep their "\r\n" only in the JSON, where
// they are exactly what describe() returned. A text may be anything, a user's note included: the
// JSON escapes it and writes invalid UTF-8 as U+FFFD, Markdown escapes its markup characters.
void appendText(std::string &buffer, const RolledRace &race);
void appendMarkdown(std::string &buffer, const RolledRace &race);
void appendJson(std::string &buffer, const RolledRace &race);

// Streams races in one format: opening() once, append() for each race, closing() once. Text and
// Markdown separate races by an empty line; JSON is one array with one race per line; the Foundry
// VTT journal one page per line, its name (which counts the races) in the closing.
class RaceWriter
{
public:
    explicit RaceWriter(OutputFormat format) : format(format) {}

    std::string_view opening() const;
    void append(std::string &buffer, const RolledRace &race);
    std::string closing() const;

private:
    OutputFormat format;
    std::int64_t appended = 0;
    FoundryJournalName journalName;
};

} // namespace vellicor
