// The editor's palette and text fonts, shared by the window layout and the
// custom views. Created at static initialisation, never changed or freed.
#pragma once

#include "base.h"
#include "font.h"

// Colours: red, green, blue, alpha.
constexpr VSTGUI::CColor kThemeBackgroundCColor{52, 52, 52, 255};
constexpr VSTGUI::CColor kThemeOutlineCColor{215, 215, 208, 200};
constexpr VSTGUI::CColor kThemeShadowCColor{0, 0, 0, 40};
constexpr VSTGUI::CColor kThemeGlossCColor{255, 255, 255, 80};
constexpr VSTGUI::CColor kThemeAmberCColor{255, 199, 4, 255};
constexpr VSTGUI::CColor kThemeBlueCColor{0, 162, 232, 255};
constexpr VSTGUI::CColor kThemeTextCColor{220, 220, 220, 255};
constexpr VSTGUI::CColor kThemeDarkTextCColor{40, 40, 40, 255};
constexpr VSTGUI::CColor kThemeGreyCColor{130, 130, 130, 255};
constexpr VSTGUI::CColor kThemeMeterCColor{100, 100, 100, 255};

// Part of the palette, unused by the current controls.
constexpr VSTGUI::CColor kThemeSandCColor{233, 214, 144, 20};
constexpr VSTGUI::CColor kThemeLightCColor{235, 235, 235, 255};
constexpr VSTGUI::CColor kThemeSilverCColor{180, 180, 180, 255};
constexpr VSTGUI::CColor kThemeGreenCColor{66, 170, 66, 255};
constexpr VSTGUI::CColor kThemeRedCColor{170, 66, 66, 255};
constexpr VSTGUI::CColor kThemeRoseCColor{184, 141, 141, 255};

// "Verdana", plain. Each holds an extra reference, so no forget() frees it.
extern VSTGUI::CFontRef const kThemeSmallFont;   // 11: LOAD and SAVE
extern VSTGUI::CFontRef const kThemeNormalFont;  // 12: web and maker labels
extern VSTGUI::CFontRef const kThemeMenuFont;    // 20: headphone and studio menus
extern VSTGUI::CFontRef const kThemeTitleFont;   // 28: product label
