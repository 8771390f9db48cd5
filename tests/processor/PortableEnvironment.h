#pragma once
// setenv and unsetenv for the test programs built for Windows, where the C
// runtime offers _putenv_s. Setting "" there removes the variable, which the
// data-root rule treats like an empty value.
#include <cstdlib>

#if defined(_WIN32)
inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name)
{
    return _putenv_s(name, "") == 0 ? 0 : -1;
}
#endif
