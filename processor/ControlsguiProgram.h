#pragma once
#include <cstring>

#include "ControlsguiParameters.h"

// One program: 38 parameter values and a terminated name of at most 23
// characters. A new program holds the defaults and the name "Default".
struct ControlsguiProgram
{
    float params[controls::parameterCount];
    char name[controls::programNameSize];

    // [host thread]
    ControlsguiProgram()
    {
        for (int i = 0; i < controls::parameterCount; ++i)
            params[i] = controls::parameterTable[i].defaultValue;
        setName("Default");
    }

    // Copies at most 23 characters and terminates; null counts as "".
    // [host thread]
    void setName(const char* text)
    {
        std::memset(name, 0, sizeof name);
        if (text)
            std::strncpy(name, text, sizeof name - 1);
    }
};
