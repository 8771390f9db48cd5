// LOAD, SAVE and the clipboard copy of the preset text.
#include "ControlsguiEditor.h"

#include "PresetText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace VSTGUI;

namespace {
// Writes the whole text to a file beside path, then renames it over path, so
// a failed write never leaves a cut preset in place of the old one.
bool writeFileReplacing(const char* path, const char* text, size_t length)
{
    const std::string partial = std::string(path) + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < length)
    {
        const ssize_t n = ::write(fd, text + written, length - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += size_t(n);
    }
    const bool ok = written == length && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(partial.c_str(), path) != 0)
    {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}
} // namespace

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
    writeFileReplacing(presetPath, presetText, std::strlen(presetText));
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
