#pragma once
#include <string>

// The data folder on Linux.
//
// Root: $QUILLATONE_DATA_ROOT when set and not empty, else $XDG_DATA_HOME when
// it is an absolute path, else $HOME/.local/share when HOME is an absolute
// path. With none of these there is no root (empty string): nothing is created
// and every file path is empty, so every loader answers 3.
//
// Tree under the root (all built with std::string and '/'):
//   <root>/Harlox                        maker folder
//   <root>/Harlox/bin, <root>/Harlox/cache
//   <root>/Harlox/Quillatone             product folder
//   <root>/Harlox/Quillatone/bin, .../cache, .../preset
// HP, Monitor and Places under the product folder come with the data.
namespace datafiles
{

inline constexpr const char* makerFolderName = "Harlox";
inline constexpr const char* productFolderName = "Quillatone";

// [any thread] Reads the environment; returns the root without a trailing
// slash (a lone "/" stays "/"), or "" when there is none.
std::string findDataRoot();

// [any thread] "<root>/Harlox", or "" when root is "".
std::string makerFolderPath(const std::string& root);

// [any thread] "<root>/Harlox/Quillatone", or "" when root is "".
std::string productFolderPath(const std::string& root);

// [any thread] "<root>/Harlox/Quillatone/<relative>", or "" when root is "".
// relative uses '/' and has no leading slash, e.g. "bin/nef_rec.trc".
std::string productFilePath(const std::string& root, const std::string& relative);

// [host thread] Creates the seven folders above in order, each with mode 0777
// (the umask applies) when it is not already a directory; an existing folder
// is not an error. Stops at the first creation that fails. Returns true when
// all seven are directories afterwards; false (creating nothing) when root is "".
bool createDataFolders(const std::string& root);

} // namespace datafiles
