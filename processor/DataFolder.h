#pragma once
#include <string>

// The data folder.
//
// Each platform has its rule for the root and the maker folder below it; this
// system's own rule is in use unless a module installs another
// (useDataRootRule) before it creates an effect. Every path below is formed
// from the rule's maker folder: "<maker>/Quillatone/<relative>", with the
// platform's separator ('\' on Windows).
//
// The own rule: the root is $QUILLATONE_DATA_ROOT when set and not empty
// (tests), else platformDataRoot():
//   Linux (DataRootXdg.cpp): $XDG_DATA_HOME when it is an absolute path, else
//     $HOME/.local/share when HOME is an absolute path;
//   Windows (DataRootWindows.cpp): the user's profile folder.
// The maker folder is "<root>/Harlox". With no root (empty string) nothing is
// created and every file path is empty, so every loader answers 3.
//
// Tree under the root:
//   <root>/Harlox                        maker folder
//   <root>/Harlox/bin, <root>/Harlox/cache
//   <root>/Harlox/Quillatone             product folder
//   <root>/Harlox/Quillatone/bin, .../cache, .../preset
// HP, Monitor and Places under the product folder come with the data.
namespace datafiles
{

inline constexpr const char* makerFolderName = "Harlox";
inline constexpr const char* productFolderName = "Quillatone";

// How paths are written: '/' only, or Windows with '\' (and '/') separators,
// drive letters and UNC shares. The path helpers default to this machine's.
enum class PathStyle
{
    posix,
    windows
};
#if defined(_WIN32)
inline constexpr PathStyle nativePathStyle = PathStyle::windows;
inline constexpr char pathSeparator = '\\';
#else
inline constexpr PathStyle nativePathStyle = PathStyle::posix;
inline constexpr char pathSeparator = '/';
#endif

// How a platform finds the data root and forms the maker folder from it.
struct DataRootRule
{
    std::string (*findRoot)();                           // "" when there is none
    std::string (*makerFolder)(const std::string& root); // "" when there is none
};

// [any thread] This system's own rule (above): the root without a trailing
// separator or "", and "<root>/Harlox" or "".
const DataRootRule& ownDataRootRule();

// [any thread] The name the Linux tests know the own rule by.
inline const DataRootRule& linuxDataRootRule()
{
    return ownDataRootRule();
}

// [any thread] The platform's root alone, without the test override.
std::string platformDataRoot();

// [host thread] Installs the rule for the rest of the process; call it before
// any effect exists.
void useDataRootRule(const DataRootRule& rule);

// [any thread] The root by the rule in use.
std::string findDataRoot();

// [any thread] POSIX: starts with '/'. Windows: a drive letter with a colon
// and a separator ("C:\", "c:/"), or two separators (UNC "\\server\share").
bool isAbsolutePath(const std::string& path, PathStyle style = nativePathStyle);

// [any thread] Drops trailing separators but keeps a path's own root:
// "/" stays "/", "C:\" stays "C:\", "\\server\share\" becomes "\\server\share".
std::string withoutTrailingSeparators(std::string path, PathStyle style = nativePathStyle);

// [any thread] folder, one separator, then relative ('/'-separated, written
// with the style's separator). "" when folder is "".
std::string joinPath(const std::string& folder, const std::string& relative, PathStyle style = nativePathStyle);

// [any thread] The maker folder by the rule in use (own rule: "<root>/Harlox").
std::string makerFolderPath(const std::string& root);

// [any thread] "<maker>/Quillatone", or "" when there is no maker folder.
std::string productFolderPath(const std::string& root);

// [any thread] "<maker>/Quillatone/<relative>", or "" when there is no maker
// folder. relative uses '/' and has no leading slash, e.g. "bin/nef_rec.trc".
std::string productFilePath(const std::string& root, const std::string& relative);

// [host thread] Creates the seven folders above in order when they are not
// already directories (POSIX: mkdir with mode 0777, the umask applies;
// Windows: _mkdir, tested with FindFirstFileW); an existing folder is not an
// error. Stops at the first creation that fails. Returns true when all seven
// are directories afterwards; false (creating nothing) when there is no maker
// folder.
bool createDataFolders(const std::string& root);

} // namespace datafiles
