#pragma once
#include <cstdint>

// Result codes of the data-file loaders. No caller is required to inspect them.
namespace datafiles
{
inline constexpr int32_t fileOk = 0;          // read as a whole
inline constexpr int32_t fileCannotOpen = 3;  // missing, unreadable or no data root
inline constexpr int32_t fileInvalid = 5;     // wrong format or values (count out of range, not finite)
inline constexpr int32_t fileReadError = 8;   // shorter than its layout
} // namespace datafiles
