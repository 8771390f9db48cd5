// Line ends of preset files: CR LF in files written on Windows, LF elsewhere;
// texts with LF, CR LF or CR lines read alike. Also built for Windows.
#include "PresetText.h"

#include <gtest/gtest.h>

#include <string>

TEST(PresetLineEnds, FilesTakeThePlatformsLineEndsAndEveryLineEndParses)
{
    EXPECT_EQ(presettext::withCrLf("a\nb c\n\nd"), "a\r\nb c\r\n\r\nd");
    EXPECT_EQ(presettext::withCrLf(""), "");

    float values[presettext::valueCount];
    for (int i = 0; i < presettext::valueCount; ++i)
        values[i] = float(i) / 40.0f;
    char text[10000];
    ASSERT_GT(presettext::format(values, text, sizeof text), 0u);
    const std::string bytes = presettext::fileBytes(text);
#if defined(_WIN32)
    EXPECT_EQ(bytes, presettext::withCrLf(text));
#else
    EXPECT_EQ(bytes, text);
#endif

    std::string crOnly = text;
    for (char& c : crOnly)
        if (c == '\n')
            c = '\r';
    for (const std::string& variant : {std::string(text), presettext::withCrLf(text), crOnly})
    {
        char word[43];
        float version = 0.0f;
        float parsed[200];
        ASSERT_TRUE(presettext::parse(variant.c_str(), word, version, parsed));
        EXPECT_STREQ(word, "Quillatone");
        EXPECT_EQ(version, 10000.0f);
        for (int i = 0; i < presettext::valueCount; ++i)
            EXPECT_FLOAT_EQ(parsed[i], values[i]) << i;
    }
}
