// LOAD, SAVE and the clipboard copy of the preset text.
#include "ControlsguiEditor.h"

#include "PresetText.h"
#include "ReplaceFile.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace VSTGUI;

bool ControlsguiEditor::setPresetPath(const char* path)
{
    if (!path || !*path || std::strlen(path) >= sizeof presetPath)
        return false;
    std::snprintf(presetPath, sizeof presetPath, "%s", path);
    return true;
}

void ControlsguiEditor::buildPresetText()
{
    float values[presettext::valueCount];
    for (int i = 0; i < presettext::valueCount; ++i)
        values[i] = parameter(i);
    const size_t length = presettext::format(values, presetText, sizeof presetText);
    if (length > 0 && frame)
        frame->setClipboardText(presetText, length);
}

void ControlsguiEditor::savePreset()
{
    buildPresetText();
    if (!presetPath[0])
        return;
    if (!std::strstr(presetPath, ".qlt"))
    {
        // The extension must fit the field; a path too long for it is refused.
        const size_t length = std::strlen(presetPath);
        if (length + 4 >= sizeof presetPath)
            return;
        std::memcpy(presetPath + length, ".qlt", 5);
    }
    // A failed write never leaves a cut preset in place of the old one.
    const std::string bytes = presettext::fileBytes(presetText);
    fileio::writeFileReplacing(presetPath, bytes.data(), bytes.size());
}

void ControlsguiEditor::loadPreset()
{
    FILE* file = std::fopen(presetPath, "rb");
    if (!file)
        return;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    // A preset is well under the text field; anything longer is not one.
    if (length < 0 || size_t(length) >= sizeof loadedText || std::fseek(file, 0, SEEK_SET) != 0)
    {
        std::fclose(file);
        return;
    }
    const size_t got = std::fread(loadedText, 1, size_t(length), file);
    loadedText[got] = '\0';
    std::fclose(file);
    if (!parsePresetText())
        return;
    for (int i = 0; i < presettext::valueCount; ++i)
        automate(i, parsedValues[i]);
}

bool ControlsguiEditor::parsePresetText()
{
    return presettext::parse(loadedText, headerWord, parsedVersion, parsedValues);
}

void ControlsguiEditor::applyParsedValues()
{
    for (int i = 0; i < presettext::valueCount; ++i)
        automate(i, parsedValues[i]);
}

bool ControlsguiEditor::pastePresetFromClipboard()
{
    std::string text;
    if (!frame || !frame->getClipboardText(text) || text.size() >= sizeof loadedText)
        return false;
    std::memcpy(loadedText, text.data(), text.size());
    loadedText[text.size()] = '\0';
    if (text.substr(0, 19).find("Quillatone") == std::string::npos)
        return false;
    if (!parsePresetText())
        return false;
    applyParsedValues();
    return true;
}
