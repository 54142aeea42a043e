#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

QT_BEGIN_NAMESPACE
class QIcon;
QT_END_NAMESPACE

// Resource numbers, as the window menu refers to them.
namespace resource {
inline constexpr int aboutMenuText = 101; // string: the window menu's About entry
} // namespace resource

// Control IDs; each control with an ID carries it as its object name ("1015").
namespace controlId {
inline constexpr int ok = 1;
inline constexpr int newButton = 1000;
inline constexpr int firstResultBox = 1015; // the box of Category c is firstResultBox + c
inline constexpr int innerProvince = 1025;  // the first radio button of the location group
inline constexpr int distance = 1028;
} // namespace controlId

// Window-menu commands. The standard ones keep the values desktops use for them; the About
// entry's 16 has the low four bits clear, so `id & systemCommandMask` identifies every command.
namespace systemCommand {
inline constexpr int about = 0x0010;
inline constexpr int move = 0xF010;
inline constexpr int minimize = 0xF020;
inline constexpr int close = 0xF060;
} // namespace systemCommand
inline constexpr int systemCommandMask = 0xFFF0;

// The texts of the string table; loadString() gives an empty string for any other number.
QString loadString(int id);

// Icon resource 128: the application icon, with an image for every size the build renders,
// 32 x 32 and 16 x 16 among them.
QIcon applicationIcon();

// The program's version record. CMake's project version must equal `fileVersion`; a test
// compares it with what the application reports.
struct VersionBlock {
    std::array<int, 4> fileVersion;
    std::array<int, 4> productVersion;
    std::string_view fileVersionText;
    std::string_view productVersionText;
    std::string_view companyName;
    std::string_view fileDescription;
    std::string_view internalName;
    std::string_view legalCopyright;
    std::string_view legalTrademarks;
    std::string_view originalFilename;
    std::string_view productName;
    std::uint16_t language; // US English
    std::uint16_t codePage; // Unicode
};

// Also the notice line of the About box, whose rectangle it has to fit.
inline constexpr const char *copyrightNotice = "Copyright (C) 2026";

inline constexpr VersionBlock versionBlock{
    .fileVersion = {1, 0, 0, 1},
    .productVersion = {1, 0, 0, 1},
    .fileVersionText = "1, 0, 0, 1",
    .productVersionText = "1, 0, 0, 1",
    .companyName = "",
    .fileDescription = "Vellicor MFC Application",
    .internalName = "Vellicor",
    .legalCopyright = copyrightNotice,
    .legalTrademarks = "",
    .originalFilename = "Vellicor.EXE",
    .productName = "Vellicor Application",
    .language = 0x0409,
    .codePage = 0x04B0,
};
