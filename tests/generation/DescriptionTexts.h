#pragma once

// The description texts as the game's tables print them, kept once for the describe tests and the
// describe fuzzer: an independent source to check describe() against.

#include "generation/RaceProfile.h"

#include <array>
#include <climits>
#include <cstdint>

namespace vellicor::testing {

inline constexpr const char *fallback = "you suck so much";

struct CategoryRows {
    Category category;
    std::int32_t RaceProfile::*index;
    std::int32_t RaceProfile::*extension;
    std::array<const char *, 10> texts; // with extension 1, so suffix rows show their first suffix
};

inline const CategoryRows categoryRows[] = {
    {BasicType,
     &RaceProfile::basicType,
     nullptr,
     {"Known humanoid race", "Known transhuman or replicant race", "Known alien race",
      "Unknown humanoid race", "Unknown transhuman or replicant race",
      "Unknown mutation: add 16 special abilities to known race",
      "Unknown hominoid variant/humananimal race", "Unknown alien race",
      "Unknown non-hydrocarbonbased race", "Unknown/Advanced beyond needing physical bodies"}},
    {RacialOrigins,
     &RaceProfile::racialOrigins,
     nullptr,
     {"Imperial colonists / secessionists / subjugates",
      "Provincial colonists / secessionists / subjugates", "Criminals / exiles / renegades",
      "Secessionists from the Terran Federated Democracy", "Cryo-sleep colonists (pre-recession)",
      "Human / xeno-human interbreeding", "Known alien race", "Lesser lifeform on homeworld",
      "Race of ancients", "Unknown alien race"}},
    {KinshipStructure,
     &RaceProfile::kinshipStructure,
     &RaceProfile::kinshipStructureExtension,
     {"Mates only; young are born viable or raised in unusual style", "Nuclear family (paternal)",
      "Extended family (paternal)", "Large commune (industrial / economic)",
      "Clubs / societies / guilds ( special interest groups )",
      "Small communes / bands (industrial / economic)",
      "Mixed at least 2 levels of approx equal significance",
      "2 Hemicultures (male / female; good / evil; etc)",
      "Entire society (absolute socialism or hivemind); dont roll polit",
      "Varies; absolute and/or independence"}},
    {Values,
     &RaceProfile::values,
     nullptr,
     {"Warfare / physical domination / genocide", "Possession of land / planets / territory",
      "Trade / profit / possession of valuable merchandise",
      "Specific tech field / industry (production)",
      "Specific scientific field (research and development)", "Artistic expression / impression",
      "Eclectic / erratic / diverse", "Religion / philosophy",
      "Distribution of information / resources / services", "Beyond human understanding"}},
    {PoliticalStructure,
     &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension,
     {"None; anarchy and chaos / collapsed governments\r\n / total opportunism", "Theocracy",
      "Dictatorship / monarchy / police state", "Representative democracy",
      "Republic / commonwealth", "Feodality", "Oligarchy (land / labor)",
      "Bureaucracy (multiple oligarchies)", "Actual / Platonic democracy",
      "Nil; anarchy and peace"}},
    {Language,
     &RaceProfile::language,
     nullptr,
     {"Anglaman (terran standard) or derivative",
      "Dialect / derivative of old earth language (most provincial tongues)",
      "Fusion of 2 or more old earth derivatives", "Designed language",
      "Highly specific on some topics; very ineffective on others",
      "Extremely hard for most hominoids to speak (physically)",
      "Sentence / concept structures are extremely hard for most hominoids",
      "Silent language using double meanings and/or body movements",
      "Constant or near constant communication via extraordinary means",
      "Utilizes means of communication beyond normal human capabilities"}},
    {Worship,
     &RaceProfile::worship,
     &RaceProfile::worshipExtension,
     {"None; no real religious concept",
      "Animism; most / all objects considered alive to some degree",
      "Animism; all living beings considered to posses souls",
      "Pantheon; group of deities, each the patron of some aspect",
      "Bitheism; two diametrically opposed deities",
      "Monotheism; all nature regarded as work of one god or creative force",
      "Certain person (past)", "Specific attainable states of being or consciousness",
      "Each individual considered godhead", "Beyond human understanding"}},
    {XenoAcceptance,
     &RaceProfile::xenoAcceptance,
     nullptr,
     {"Sheer folly; total xenophobia (possibly due to past experiences)",
      "Extremely hard; may have had bad experience with outsiders before",
      "Very hard; cultural doctrine may include warnings against outsiders",
      "Hard; cultural leanings toward isolationism",
      "Medium; curiosity is balanced by caution or mild distrust",
      "Light; very curious but somewhat wary of outsiders",
      "Easy; some dealings with aliens / xenohumans have occured before",
      "Routine; aliens and xenohumans dealt with on a regular basis",
      "Easy if studying newly discovered race; otherwise very hard",
      "Total; alien / xenohuman contact is actively sought"}},
    {Problems,
     &RaceProfile::problems,
     &RaceProfile::problemsExtension,
     {"Military / diplomatic clashes with neighboring race / province",
      "Need resource(s) (food / water)", "Pollution of homeworld territorial possession",
      "Pestilence / plague / disease / lack of immunity / tolerance to microbes",
      "Resist change, clinging to old ways / rituals / lifestyles",
      "Have lost systems / planets / territory to neighboring race / province",
      "Internal moral / ethical / religious differences cause friction",
      "Idealistic view prevents true objectivity",
      "Taken advantage of / oppressed / enslaved by other race / culture",
      "Misunderstood / misrepresented by other races"}},
};

struct SuffixCase {
    Category category;
    std::int32_t RaceProfile::*index;
    std::int32_t RaceProfile::*extension;
    std::int32_t row;
    std::int32_t extensionValue;
    const char *text;
};

// Each threshold and the value below it; three suffixes end in a space.
inline const SuffixCase suffixCases[] = {
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 1,
     4, "Nuclear family (paternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 1,
     5, "Nuclear family (maternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 1,
     8, "Nuclear family (maternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 1,
     9, "Nuclear family (both/other) "},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 2,
     3, "Extended family (paternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 2,
     4, "Extended family (maternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 2,
     7, "Extended family (maternal)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 2,
     8, "Extended family (both/other) "},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 3,
     4, "Large commune (industrial / economic)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 3,
     5, "Large commune (religious)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 3,
     7, "Large commune (religious)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 3,
     8, "Large commune (other) "},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 5,
     5, "Small communes / bands (religious)"},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 5,
     8, "Small communes / bands (other) "},
    {KinshipStructure, &RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension, 0,
     9, "Mates only; young are born viable or raised in unusual style"},
    {PoliticalStructure, &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension, 6, 5, "Oligarchy (land / labor)"},
    {PoliticalStructure, &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension, 6, 6, "Oligarchy (theocrats)"},
    {PoliticalStructure, &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension, 6, 7, "Oligarchy (theocrats)"},
    {PoliticalStructure, &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension, 6, 8, "Oligarchy (other) "},
    {Worship, &RaceProfile::worship, &RaceProfile::worshipExtension, 6, 6, "Certain person (past)"},
    {Worship, &RaceProfile::worship, &RaceProfile::worshipExtension, 6, 7,
     "Certain person (present)"},
    {Worship, &RaceProfile::worship, &RaceProfile::worshipExtension, 6, 8,
     "Certain person (present)"},
    {Worship, &RaceProfile::worship, &RaceProfile::worshipExtension, 6, 9,
     "Certain person (future) "},
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, 2,
     "Need resource(s) (food / water)"},
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, 3,
     "Need resource(s) (fuel)"},
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, 6,
     "Need resource(s) (fuel)"},
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, 7,
     "Need resource(s) (other) "},
    // An extension outside 1 to 10 still picks by the same comparisons.
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, INT_MIN,
     "Need resource(s) (food / water)"},
    {Problems, &RaceProfile::problems, &RaceProfile::problemsExtension, 1, INT_MAX,
     "Need resource(s) (other) "},
    {Worship, &RaceProfile::worship, &RaceProfile::worshipExtension, 6, -1,
     "Certain person (past)"},
};

} // namespace vellicor::testing
