#pragma once

#include "app/DialogBuilder.h"
#include "app/Resources.h"

#include <array>

// The dialogs' layouts as data: every control in template order with its ID, kind, text,
// rectangle in dialog units and styles.
//
// Both dialogs are laid out for an 8-point sans-serif dialog font. Linux has no one fixed
// dialog font, so the templates name the generic "Sans Serif" family, which fontconfig resolves
// to the desktop's default sans-serif font; the dialog units follow whatever it measures.

// clang-format off
inline constexpr std::array mainDialogControls{
    ControlRow{1000, ControlKind::PushButton,  "New",                 {129, 263,  46, 14}, defaultButton | centredText | tabStop},
    ControlRow{-1,   ControlKind::Label,       "Basic Type",          {  7,   7,  36,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Racial Origins",      {  7,  25,  44,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Kinship Structure",   {  7,  43,  54,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Values",              {  7,  65,  22,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Political Structure", {  7,  84,  56,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Tech/Sci Level",      {  7, 103,  50,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Language",            {  7, 140,  33,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Worship",             {  7, 159,  27,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Xeno Acceptance",     {  7, 179,  58,  8}, startsGroup},
    ControlRow{-1,   ControlKind::Label,       "Problems",            {  7, 201,  30,  8}, startsGroup},
    ControlRow{1015, ControlKind::Edit,        "",                    { 87,   7, 226, 14}, resultBoxStyle},
    ControlRow{1016, ControlKind::Edit,        "",                    { 87,  25, 226, 13}, resultBoxStyle},
    ControlRow{1017, ControlKind::Edit,        "",                    { 87,  43, 226, 17}, resultBoxStyle},
    ControlRow{1018, ControlKind::Edit,        "",                    { 87,  65, 226, 15}, resultBoxStyle},
    ControlRow{1019, ControlKind::Edit,        "",                    { 87,  84, 226, 13}, resultBoxStyle},
    ControlRow{1020, ControlKind::Edit,        "",                    { 87, 103, 226, 31}, resultBoxStyle},
    ControlRow{1021, ControlKind::Edit,        "",                    { 87, 140, 226, 15}, resultBoxStyle},
    ControlRow{1022, ControlKind::Edit,        "",                    { 87, 159, 226, 16}, resultBoxStyle},
    ControlRow{1023, ControlKind::Edit,        "",                    { 87, 179, 226, 17}, resultBoxStyle},
    ControlRow{1024, ControlKind::Edit,        "",                    { 87, 201, 226, 16}, resultBoxStyle},
    ControlRow{1025, ControlKind::RadioButton, "Inner Province",      { 23, 235,  62, 10}, autoRadio | startsGroup},
    ControlRow{-1,   ControlKind::GroupBox,    "Location",            {  7, 225,  86, 52}, noStyle},
    ControlRow{1026, ControlKind::RadioButton, "Frontier",            { 23, 248,  39, 10}, autoRadio},
    ControlRow{1027, ControlKind::RadioButton, "Backnet",             { 23, 260,  43, 10}, autoRadio},
    ControlRow{-1,   ControlKind::Label,       "Lightyears from Sol", {101, 226,  60,  8}, startsGroup},
    ControlRow{1028, ControlKind::Edit,        "",                    {119, 237,  30, 14}, digitsOnly | autoHorizontalScroll | border | tabStop},
};

inline constexpr std::array aboutDialogControls{
    ControlRow{-1, ControlKind::Icon,       "128",                  { 11, 17,  20, 20}, noStyle},
    ControlRow{-1, ControlKind::Label,      "Vellicor Version 1.0", { 40, 10, 119,  8}, noPrefix | startsGroup},
    ControlRow{-1, ControlKind::Label,      copyrightNotice,        { 40, 25, 119,  8}, startsGroup},
    ControlRow{1,  ControlKind::PushButton, "OK",                   {178,  7,  50, 14}, defaultButton | startsGroup | tabStop},
};

// The main dialog's static texts all come before the result boxes in the template, so which text
// names which box is listed here, for screen readers.
inline constexpr std::array mainDialogLabels{
    ControlLabel{"Basic Type",          1015},
    ControlLabel{"Racial Origins",      1016},
    ControlLabel{"Kinship Structure",   1017},
    ControlLabel{"Values",              1018},
    ControlLabel{"Political Structure", 1019},
    ControlLabel{"Tech/Sci Level",      1020},
    ControlLabel{"Language",            1021},
    ControlLabel{"Worship",             1022},
    ControlLabel{"Xeno Acceptance",     1023},
    ControlLabel{"Problems",            1024},
    ControlLabel{"Lightyears from Sol", 1028},
};
// clang-format on

inline constexpr DialogTemplate mainDialogTemplate{.caption = "Vellicor",
                                                   .rect = {0, 0, 320, 284},
                                                   .fontFamily = "Sans Serif",
                                                   .pointSize = 8,
                                                   .controls = mainDialogControls,
                                                   .labels = mainDialogLabels};

inline constexpr DialogTemplate aboutDialogTemplate{.caption = "About Vellicor",
                                                    .rect = {0, 0, 235, 55},
                                                    .fontFamily = "Sans Serif",
                                                    .pointSize = 8,
                                                    .controls = aboutDialogControls,
                                                    .labels = {}};
