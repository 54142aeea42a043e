#include "formats/RaceCard.h"

#include "formats/HtmlText.h"
#include "formats/RaceFormat.h"

namespace vellicor {

// Margins in px, which Qt's rich text reads as the pixels of the device it lays out on (it drops
// lengths in pt): the dialog lays cards out at 96 pixels per inch, as a browser's CSS pixel.
const std::string_view raceCardStyle =
    ".race-card { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 10pt; color: #000; }\n"
    ".race-card h1 { font-size: 13pt; font-weight: bold; margin: 0 0 11px 0; }\n"
    ".race-card dl { margin: 0; }\n"
    ".race-card dt { font-weight: bold; margin: 8px 0 1px 0; }\n"
    ".race-card dd { margin: 0 0 0 21px; white-space: pre-wrap; }\n"
    ".race-card p { margin: 16px 0 0 0; }\n"
    ".race-card .roll-again { font-family: 'DejaVu Sans Mono', monospace; }\n";

std::string rollAgainCommand(const RolledRace &race)
{
    if (race.dice < 0)
        return {};
    std::string command = "vellicor-cli --seed ";
    command += std::to_string(race.seed);
    command += " --dice ";
    command += std::to_string(race.dice);
    command += " --location ";
    command += locationNames[rolledLocation(race.location)];
    // "=" keeps a negative distance from reading as an option of its own.
    command += " --lightyears=";
    command += std::to_string(race.lightyears);
    return command;
}

std::string raceCardHtml(const RolledRace &race, std::string_view rollAgain)
{
    std::string html = "<div class=\"race-card\">\n<h1>";
    appendHtmlEscaped(html, raceHeading(race));
    html += "</h1>\n<dl>\n";
    for (std::size_t category = 0; category < categoryLabels.size(); ++category) {
        html += "<dt>";
        html += categoryLabels[category];
        html += "</dt>\n<dd>";
        // The boxes break lines with "\r\n"; pre-wrap keeps "\n" and the runs of spaces that
        // line up the engineering ratings.
        for (const char c : race.texts[category]) {
            if (c != '\r')
                appendHtmlEscaped(html, std::string_view(&c, 1));
        }
        html += "</dd>\n";
    }
    html += "</dl>\n<p>";
    if (rollAgain.empty()) {
        html += "Its dice are not known, so it cannot be rolled again.";
    } else {
        html += "To roll it again: <span class=\"roll-again\">";
        appendHtmlEscaped(html, rollAgain);
        html += "</span>";
    }
    html += "</p>\n</div>\n";
    return html;
}

} // namespace vellicor
