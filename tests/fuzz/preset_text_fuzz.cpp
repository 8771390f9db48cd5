// The preset text parser (".qlt" files and the clipboard).
#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "PresetText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at the first NUL
    char word[43];
    float version = 0.0f;
    float values[200];
    if (presettext::parse(text.c_str(), word, version, values))
        for (int i = 0; i < presettext::valueCount; ++i)
            if (!std::isfinite(values[i]))
                std::abort();
    return 0;
}
