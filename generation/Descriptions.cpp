#include "generation/Descriptions.h"

#include <charconv>

namespace vellicor {

namespace {

// Picks one of three suffixes by the category's 1D10 extension: below `a` the first, from `a`
// to `b` - 1 the second, `b` or more the third. Each suffix brings its own leading space.
struct SuffixRule {
    std::int32_t a;
    std::int32_t b;
    std::array<std::string_view, 3> suffixes;

    constexpr std::string_view pick(std::int32_t extension) const
    {
        return suffixes[extension < a ? 0 : extension < b ? 1 : 2];
    }
};

struct DescriptionRow {
    std::string_view text;
    const SuffixRule *suffix = nullptr;
};

using DescriptionTable = std::array<DescriptionRow, 10>;

// Three suffixes end in a space; the tables print them that way.
constexpr SuffixRule nuclearFamily{5, 9, {" (paternal)", " (maternal)", " (both/other) "}};
constexpr SuffixRule extendedFamily{4, 8, {" (paternal)", " (maternal)", " (both/other) "}};
constexpr SuffixRule commune{5, 8, {" (industrial / economic)", " (religious)", " (other) "}};
constexpr SuffixRule oligarchy{6, 8, {" (land / labor)", " (theocrats)", " (other) "}};
constexpr SuffixRule certainPerson{7, 9, {" (past)", " (present)", " (future) "}};
constexpr SuffixRule neededResource{3, 7, {" (food / water)", " (fuel)", " (other) "}};

constexpr DescriptionTable basicTypeTexts{{
    {"Known humanoid race"},
    {"Known transhuman or replicant race"},
    {"Known alien race"},
    {"Unknown humanoid race"},
    {"Unknown transhuman or replicant race"},
    {"Unknown mutation: add 16 special abilities to known race"},
    {"Unknown hominoid variant/humananimal race"},
    {"Unknown alien race"},
    {"Unknown non-hydrocarbonbased race"},
    {"Unknown/Advanced beyond needing physical bodies"},
}};

constexpr DescriptionTable racialOriginsTexts{{
    {"Imperial colonists / secessionists / subjugates"},
    {"Provincial colonists / secessionists / subjugates"},
    {"Criminals / exiles / renegades"},
    {"Secessionists from the Terran Federated Democracy"},
    {"Cryo-sleep colonists (pre-recession)"},
    {"Human / xeno-human interbreeding"},
    {"Known alien race"},
    {"Lesser lifeform on homeworld"},
    {"Race of ancients"},
    {"Unknown alien race"},
}};

constexpr DescriptionTable kinshipStructureTexts{{
    {"Mates only; young are born viable or raised in unusual style"},
    {"Nuclear family", &nuclearFamily},
    {"Extended family", &extendedFamily},
    {"Large commune", &commune},
    {"Clubs / societies / guilds ( special interest groups )"},
    {"Small communes / bands", &commune},
    {"Mixed at least 2 levels of approx equal significance"},
    {"2 Hemicultures (male / female; good / evil; etc)"},
    {"Entire society (absolute socialism or hivemind); dont roll polit"},
    {"Varies; absolute and/or independence"},
}};

constexpr DescriptionTable valuesTexts{{
    {"Warfare / physical domination / genocide"},
    {"Possession of land / planets / territory"},
    {"Trade / profit / possession of valuable merchandise"},
    {"Specific tech field / industry (production)"},
    {"Specific scientific field (research and development)"},
    {"Artistic expression / impression"},
    {"Eclectic / erratic / diverse"},
    {"Religion / philosophy"},
    {"Distribution of information / resources / services"},
    {"Beyond human understanding"},
}};

constexpr DescriptionTable politicalStructureTexts{{
    {"None; anarchy and chaos / collapsed governments\r\n / total opportunism"},
    {"Theocracy"},
    {"Dictatorship / monarchy / police state"},
    {"Representative democracy"},
    {"Republic / commonwealth"},
    {"Feodality"},
    {"Oligarchy", &oligarchy},
    {"Bureaucracy (multiple oligarchies)"},
    {"Actual / Platonic democracy"},
    {"Nil; anarchy and peace"},
}};

constexpr DescriptionTable languageTexts{{
    {"Anglaman (terran standard) or derivative"},
    {"Dialect / derivative of old earth language (most provincial tongues)"},
    {"Fusion of 2 or more old earth derivatives"},
    {"Designed language"},
    {"Highly specific on some topics; very ineffective on others"},
    {"Extremely hard for most hominoids to speak (physically)"},
    {"Sentence / concept structures are extremely hard for most hominoids"},
    {"Silent language using double meanings and/or body movements"},
    {"Constant or near constant communication via extraordinary means"},
    {"Utilizes means of communication beyond normal human capabilities"},
}};

constexpr DescriptionTable worshipTexts{{
    {"None; no real religious concept"},
    {"Animism; most / all objects considered alive to some degree"},
    {"Animism; all living beings considered to posses souls"},
    {"Pantheon; group of deities, each the patron of some aspect"},
    {"Bitheism; two diametrically opposed deities"},
    {"Monotheism; all nature regarded as work of one god or creative force"},
    {"Certain person", &certainPerson},
    {"Specific attainable states of being or consciousness"},
    {"Each individual considered godhead"},
    {"Beyond human understanding"},
}};

constexpr DescriptionTable xenoAcceptanceTexts{{
    {"Sheer folly; total xenophobia (possibly due to past experiences)"},
    {"Extremely hard; may have had bad experience with outsiders before"},
    {"Very hard; cultural doctrine may include warnings against outsiders"},
    {"Hard; cultural leanings toward isolationism"},
    {"Medium; curiosity is balanced by caution or mild distrust"},
    {"Light; very curious but somewhat wary of outsiders"},
    {"Easy; some dealings with aliens / xenohumans have occured before"},
    {"Routine; aliens and xenohumans dealt with on a regular basis"},
    {"Easy if studying newly discovered race; otherwise very hard"},
    {"Total; alien / xenohuman contact is actively sought"},
}};

constexpr DescriptionTable problemsTexts{{
    {"Military / diplomatic clashes with neighboring race / province"},
    {"Need resource(s)", &neededResource},
    {"Pollution of homeworld territorial possession"},
    {"Pestilence / plague / disease / lack of immunity / tolerance to microbes"},
    {"Resist change, clinging to old ways / rituals / lifestyles"},
    {"Have lost systems / planets / territory to neighboring race / province"},
    {"Internal moral / ethical / religious differences cause friction"},
    {"Idealistic view prevents true objectivity"},
    {"Taken advantage of / oppressed / enslaved by other race / culture"},
    {"Misunderstood / misrepresented by other races"},
}};

// By Category. Tech/Sci Level is formatted from the engineering fields instead.
constexpr std::array<const DescriptionTable *, 10> categoryTexts{
    &basicTypeTexts,          &racialOriginsTexts,
    &kinshipStructureTexts,   &valuesTexts,
    &politicalStructureTexts, nullptr,
    &languageTexts,           &worshipTexts,
    &xenoAcceptanceTexts,     &problemsTexts};

// Engineering field titles, in the order of engineeringFields.
constexpr std::array<std::string_view, 5> engineeringTitles{
    "Computer Engineering", "Electrical Engineering", "Mechanical Engineering", "Power Engineering",
    "Weapon Engineering"};

void appendNumber(std::string &text, std::int32_t value)
{
    char digits[12];
    const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), value);
    text.append(digits, end);
}

// Each block reads "<title>\r\nDifficulty Level = %d     Rank Bonus = %d     Misc Modifier =
// %d\r\n", and the blocks are joined by a further "\r\n", so an empty line separates them.
std::string describeScienceLevels(const RaceProfile &profile)
{
    std::string text;
    text.reserve(512);
    for (std::size_t i = 0; i < engineeringFields.size(); ++i) {
        const ScienceLevel &level = profile.*engineeringFields[i];
        if (i > 0)
            text += "\r\n";
        text += engineeringTitles[i];
        text += "\r\nDifficulty Level = ";
        appendNumber(text, level.diffLevel);
        text += "     Rank Bonus = ";
        appendNumber(text, level.rankBonus);
        text += "     Misc Modifier = ";
        appendNumber(text, level.miscMod);
        text += "\r\n";
    }
    return text;
}

} // namespace

std::string RaceProfile::describe(Category category) const
{
    if (category < 0 || category >= std::ssize(categoryTexts))
        return std::string(fallbackText);
    if (category == TechSciLevel)
        return describeScienceLevels(*this);

    const DescriptionTable &rows = *categoryTexts[category];
    const CategoryMembers members = categoryMembers[category];
    const std::int32_t index = this->*members.index;
    if (index < 0 || index >= std::ssize(rows))
        return std::string(fallbackText);

    // Only the four categories with an extension have rows with a suffix rule.
    const DescriptionRow &row = rows[index];
    std::string text(row.text);
    if (row.suffix && members.extension)
        text += row.suffix->pick(this->*members.extension);
    return text;
}

} // namespace vellicor
