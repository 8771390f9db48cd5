// Colours the custom views draw with: the editor's theme palette.
#pragma once

#include "base.h"

#if __has_include("Theme.h")
#include "Theme.h"

namespace viewcolours {
constexpr VSTGUI::CColor kBackground = kThemeBackgroundCColor;
constexpr VSTGUI::CColor kOutline = kThemeOutlineCColor;
constexpr VSTGUI::CColor kShadow = kThemeShadowCColor;
constexpr VSTGUI::CColor kGloss = kThemeGlossCColor;
constexpr VSTGUI::CColor kBlue = kThemeBlueCColor;
constexpr VSTGUI::CColor kGrey = kThemeGreyCColor;
constexpr VSTGUI::CColor kMeter = kThemeMeterCColor;
} // namespace viewcolours

#else
// Until the theme is part of the editor: the same values.
namespace viewcolours {
constexpr VSTGUI::CColor kBackground{52, 52, 52, 255};
constexpr VSTGUI::CColor kOutline{215, 215, 208, 200};
constexpr VSTGUI::CColor kShadow{0, 0, 0, 40};
constexpr VSTGUI::CColor kGloss{255, 255, 255, 80};
constexpr VSTGUI::CColor kBlue{0, 162, 232, 255};
constexpr VSTGUI::CColor kGrey{130, 130, 130, 255};
constexpr VSTGUI::CColor kMeter{100, 100, 100, 255};
} // namespace viewcolours
#endif
