#pragma once

#include <string>
#include <string_view>

namespace vellicor {

// `text` as HTML character data or a quoted attribute value: & < > " and ' become character
// references, so that a typed note never becomes markup, wherever HTML shows it.
inline void appendHtmlEscaped(std::string &buffer, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            buffer += "&amp;";
            break;
        case '<':
            buffer += "&lt;";
            break;
        case '>':
            buffer += "&gt;";
            break;
        case '"':
            buffer += "&quot;";
            break;
        case '\'':
            buffer += "&#39;";
            break;
        default:
            buffer += c;
        }
    }
}

} // namespace vellicor
