#include "PresetText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace presettext
{

size_t format(const float (&values)[valueCount], char* text, size_t capacity)
{
    size_t length = 0;
    int n = std::snprintf(text, capacity, "%s", header);
    if (n < 0 || size_t(n) >= capacity)
        return 0;
    length = size_t(n);
    for (int i = 0; i < valueCount; ++i)
    {
        n = std::snprintf(text + length, capacity - length, "%d %.10f\n", i, double(values[i]));
        if (n < 0 || size_t(n) >= capacity - length)
            return 0;
        length += size_t(n);
    }
    return length;
}

std::string withCrLf(const char* text)
{
    std::string bytes;
    for (const char* c = text; *c; ++c)
    {
        if (*c == '\n')
            bytes += '\r';
        bytes += *c;
    }
    return bytes;
}

std::string fileBytes(const char* text)
{
#if defined(_WIN32)
    return withCrLf(text);
#else
    return text;
#endif
}

namespace
{
const std::string& scanFormat()
{
    static const std::string format = [] {
        std::string f = "%42s %f";
        for (int i = 0; i < 37; ++i)
            f += "%*s %f ";
        f += "%*s %f";
        return f;
    }();
    return format;
}

bool firstWordFits(const char* text)
{
    while (*text && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    size_t length = 0;
    while (text[length] && !std::isspace(static_cast<unsigned char>(text[length])))
        ++length;
    return length <= 42;
}
} // namespace

bool parse(const char* text, char (&word)[43], float& version, float (&values)[200])
{
    for (float& v : values)
        v = 0.0f;
    word[0] = '\0';
    version = 0.0f;
    if (!text || !firstWordFits(text))
        return false;
    float* v = values;
    const int assigned = std::sscanf(text, scanFormat().c_str(), word, &version,
        v + 0, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7, v + 8, v + 9,
        v + 10, v + 11, v + 12, v + 13, v + 14, v + 15, v + 16, v + 17, v + 18, v + 19,
        v + 20, v + 21, v + 22, v + 23, v + 24, v + 25, v + 26, v + 27, v + 28, v + 29,
        v + 30, v + 31, v + 32, v + 33, v + 34, v + 35, v + 36, v + 37);
    if (assigned != 40 || !(version >= 10000.0f))
        return false;
    for (int i = 0; i < valueCount; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

} // namespace presettext
