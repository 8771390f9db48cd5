// Preset text files: the format, save and load round trips, and files that
// must not load (nothing changes, nothing crashes).
#include "EditorTestSupport.h"

#include "PresetText.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

using edtest::automateCount;
using edtest::hostEvents;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string presetWith(const std::string& header, int lines, float value = 0.25f, bool reversed = false)
{
    std::string text = header + "\n";
    char line[64];
    for (int k = 0; k < lines; ++k)
    {
        const int i = reversed ? lines - 1 - k : k;
        std::snprintf(line, sizeof line, "%d %.10f\n", i, double(value + 0.01f * float(k)));
        text += line;
    }
    return text;
}

} // namespace

class EditorPresets : public edtest::EditorTest
{
protected:
    std::vector<float> parameters()
    {
        std::vector<float> values;
        for (int i = 0; i < 38; ++i)
            values.push_back(processor->getParameter(i));
        return values;
    }

    // Loads a file and answers whether any parameter changed.
    bool loadChangesSomething(const std::string& text)
    {
        const std::string path = folder.path + "/in.qlt";
        writeFile(path, text);
        const auto before = parameters();
        hostEvents().clear();
        EXPECT_TRUE(editor->setPresetPath(path.c_str()));
        editor->loadPreset();
        return parameters() != before || automateCount() != 0;
    }
};

TEST(PresetText, FormatIsTheHeaderAndOneLinePerParameter)
{
    float values[38];
    for (float& v : values)
        v = 0.5f;
    values[0] = 0.006f;
    char text[10000];
    const size_t n = presettext::format(values, text, sizeof text);
    EXPECT_EQ(n, std::strlen(text));
    EXPECT_EQ(std::string(text).substr(0, 38), "Quillatone 010000\n0 0.0060000001\n1 0.5");
    for (float& v : values)
        v = 0.5f;
    // 18 + 10 x 15 + 28 x 16 bytes.
    EXPECT_EQ(presettext::format(values, text, sizeof text), 616u);
    EXPECT_EQ(text[615], '\n');
    // Too small a buffer is refused, never overrun.
    char small[100];
    EXPECT_EQ(presettext::format(values, small, sizeof small), 0u);
}

TEST(PresetText, ParseAcceptsOtherWordsAndCarriageReturnsButNotShortOrOldTexts)
{
    char word[43];
    float version;
    float values[200];
    EXPECT_TRUE(presettext::parse(presetWith("Other 010000", 38).c_str(), word, version, values));
    EXPECT_STREQ(word, "Other");
    EXPECT_EQ(version, 10000.0f);
    EXPECT_FLOAT_EQ(values[37], 0.25f + 0.37f);
    EXPECT_EQ(values[38], 0.0f);

    std::string crlf;
    for (char c : presetWith("Quillatone 010000", 38))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(presettext::parse(crlf.c_str(), word, version, values));

    EXPECT_FALSE(presettext::parse(presetWith("Quillatone 010000", 37).c_str(), word, version, values));
    EXPECT_FALSE(presettext::parse(presetWith("Quillatone 009999", 38).c_str(), word, version, values));
    EXPECT_FALSE(presettext::parse("", word, version, values));
    EXPECT_FALSE(presettext::parse(presetWith(std::string(43, 'Q') + " 010000", 38).c_str(), word, version, values));
    EXPECT_TRUE(presettext::parse(presetWith(std::string(42, 'Q') + " 010000", 38).c_str(), word, version, values));
    std::string withNan = presetWith("Quillatone 010000", 38);
    withNan.replace(withNan.find("\n5 ") + 3, 12, "nan         ");
    EXPECT_FALSE(presettext::parse(withNan.c_str(), word, version, values));
    std::string garbage = presetWith("Quillatone 010000", 38);
    garbage.replace(garbage.find("\n7 ") + 3, 4, "abcd");
    EXPECT_FALSE(presettext::parse(garbage.c_str(), word, version, values));
}

TEST_F(EditorPresets, SaveAddsTheExtensionAndLoadRestoresEveryParameter)
{
    for (int i = 0; i < 38; ++i)
        hostSets(i, float(i) / 40.0f);
    const auto saved = parameters();
    const std::string base = folder.path + "/a";
    ASSERT_TRUE(editor->setPresetPath(base.c_str()));
    editor->savePreset();
    EXPECT_STREQ(editor->getPresetPath(), (base + ".qlt").c_str());
    const std::string text = readFile(base + ".qlt");
    EXPECT_EQ(text, editor->getPresetText());
    EXPECT_EQ(text.substr(0, 18), "Quillatone 010000\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 39);

    for (int i = 0; i < 38; ++i)
        hostSets(i, 0.9f);
    hostEvents().clear();
    editor->loadPreset();
    // Every value back, applied in index order, each reported to the host.
    for (int i = 0; i < 38; ++i)
        EXPECT_FLOAT_EQ(processor->getParameter(i), saved[size_t(i)]) << i;
    ASSERT_EQ(automateCount(), 38u);
    for (int i = 0; i < 38; ++i)
        EXPECT_EQ(hostEvents()[size_t(i)].index, i);

    // A path with ".qlt" anywhere is used unchanged.
    const std::string other = folder.path + "/b.qlt.txt";
    ASSERT_TRUE(editor->setPresetPath(other.c_str()));
    editor->savePreset();
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_FALSE(std::filesystem::exists(other + ".qlt"));
}

TEST_F(EditorPresets, SaveWithTheWindowOpenAlsoFillsTheClipboardAndPasteReadsIt)
{
    openWindow();
    hostSets(6, 0.125f);
    const std::string path = folder.path + "/c.qlt";
    ASSERT_TRUE(editor->setPresetPath(path.c_str()));
    editor->savePreset();
    std::string clip;
    ASSERT_TRUE(editor->getFrame()->getClipboardText(clip));
    EXPECT_EQ(clip, readFile(path));

    hostSets(6, 0.75f);
    hostEvents().clear();
    EXPECT_TRUE(editor->pastePresetFromClipboard());
    EXPECT_FLOAT_EQ(processor->getParameter(6), 0.125f);
    EXPECT_EQ(automateCount(), 38u);

    // A text without the product word near its start is not pasted.
    const std::string foreign = presetWith("Other 010000", 38);
    editor->getFrame()->setClipboardText(foreign.c_str(), foreign.size());
    hostEvents().clear();
    EXPECT_FALSE(editor->pastePresetFromClipboard());
    EXPECT_EQ(automateCount(), 0u);
}

TEST_F(EditorPresets, IndicesOutOfOrderLoadByPositionAndOtherHeaderWordsLoad)
{
    EXPECT_TRUE(loadChangesSomething(presetWith("Whatever 010000", 38, 0.25f, true)));
    EXPECT_FLOAT_EQ(processor->getParameter(0), 0.25f);
    EXPECT_FLOAT_EQ(processor->getParameter(37), 0.25f + 0.37f);
}

TEST_F(EditorPresets, AFileSavedOnWindowsLoadsWhole)
{
    EXPECT_TRUE(loadChangesSomething(presettext::withCrLf(presetWith("Quillatone 010000", 38, 0.125f).c_str())));
    EXPECT_EQ(automateCount(), 38u);
    for (int i = 0; i < 38; ++i)
        EXPECT_FLOAT_EQ(processor->getParameter(i), 0.125f + 0.01f * float(i)) << i;
}

TEST_F(EditorPresets, MalformedFilesChangeNothing)
{
    EXPECT_FALSE(loadChangesSomething(presetWith("Quillatone 010000", 37)));
    EXPECT_FALSE(loadChangesSomething(presetWith("Quillatone 009999", 38)));
    EXPECT_FALSE(loadChangesSomething(""));
    EXPECT_FALSE(loadChangesSomething(std::string("\0\1\2\3garbage\xff\xfe", 14)));
    EXPECT_FALSE(loadChangesSomething(presetWith(std::string(300, 'Q') + " 010000", 38)));
    std::string infinite = presetWith("Quillatone 010000", 38);
    infinite.replace(infinite.find("\n3 ") + 3, 12, "inf         ");
    EXPECT_FALSE(loadChangesSomething(infinite));
    // Longer than the text field: not a preset.
    EXPECT_FALSE(loadChangesSomething(presetWith("Quillatone 010000", 38) + std::string(10000, ' ')));

    // Missing files and folders.
    const auto before = parameters();
    const std::string missing = folder.path + "/none.qlt";
    ASSERT_TRUE(editor->setPresetPath(missing.c_str()));
    editor->loadPreset();
    ASSERT_TRUE(editor->setPresetPath(folder.path.c_str()));
    editor->loadPreset();
    EXPECT_EQ(parameters(), before);
    EXPECT_EQ(automateCount(), 0u);
}

TEST_F(EditorPresets, PathsThatDoNotFitAreRefused)
{
    const std::string longest(1000, 'x');
    EXPECT_TRUE(editor->setPresetPath(longest.c_str()));
    EXPECT_FALSE(editor->setPresetPath((longest + "y").c_str()));
    EXPECT_FALSE(editor->setPresetPath(""));
    EXPECT_STREQ(editor->getPresetPath(), longest.c_str());
    // No room for ".qlt": nothing is written, nothing overruns.
    const std::string dir = folder.path + "/";
    const std::string path = dir + std::string(998 - dir.size(), 'p');
    ASSERT_TRUE(editor->setPresetPath(path.c_str()));
    editor->savePreset();
    EXPECT_STREQ(editor->getPresetPath(), path.c_str());
    std::error_code ec;
    EXPECT_FALSE(std::filesystem::exists(path + ".qlt", ec));
}

TEST_F(EditorPresets, AFailedSaveKeepsTheOldFile)
{
    const std::string path = folder.path + "/keep.qlt";
    writeFile(path, "old contents");
    // The partial file cannot be created: the old preset stays whole.
    std::filesystem::create_directory(path + ".partial");
    ASSERT_TRUE(editor->setPresetPath(path.c_str()));
    editor->savePreset();
    EXPECT_EQ(readFile(path), "old contents");
    std::filesystem::remove(path + ".partial");
    editor->savePreset();
    EXPECT_EQ(readFile(path), editor->getPresetText());
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    // Into a folder that does not exist: nothing happens.
    ASSERT_TRUE(editor->setPresetPath((folder.path + "/no/such/x.qlt").c_str()));
    editor->savePreset();
    EXPECT_FALSE(std::filesystem::exists(folder.path + "/no"));
}
