#pragma once
#include <string>

// The data folder.
//
// Each platform has its rule for the root and the maker folder below it; the
// Linux rule is in use unless a module installs another (useDataRootRule)
// before it creates an effect. Every path below is formed from the rule's
// maker folder: "<maker>/Quillatone/<relative>".
//
// Linux root: $QUILLATONE_DATA_ROOT when set and not empty, else $XDG_DATA_HOME when
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

// How a platform finds the data root and forms the maker folder from it.
struct DataRootRule
{
    std::string (*findRoot)();                           // "" when there is none
    std::string (*makerFolder)(const std::string& root); // "" when there is none
};

// [any thread] The rule above: the root without a trailing slash (a lone "/"
// stays "/") or "", and "<root>/Harlox" or "".
const DataRootRule& linuxDataRootRule();

// [host thread] Installs the rule for the rest of the process; call it before
// any effect exists.
void useDataRootRule(const DataRootRule& rule);

// [any thread] The root by the rule in use.
std::string findDataRoot();

// [any thread] The maker folder by the rule in use (Linux: "<root>/Harlox").
std::string makerFolderPath(const std::string& root);

// [any thread] "<maker>/Quillatone", or "" when there is no maker folder.
std::string productFolderPath(const std::string& root);

// [any thread] "<maker>/Quillatone/<relative>", or "" when there is no maker
// folder. relative uses '/' and has no leading slash, e.g. "bin/nef_rec.trc".
std::string productFilePath(const std::string& root, const std::string& relative);

// [host thread] Creates the seven folders above in order, each with mode 0777
// (the umask applies) when it is not already a directory; an existing folder
// is not an error. Stops at the first creation that fails. Returns true when
// all seven are directories afterwards; false (creating nothing) when there is
// no maker folder.
bool createDataFolders(const std::string& root);

} // namespace datafiles
