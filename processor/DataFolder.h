#pragma once
#include <string>

// The data folder.
//
// Root: $QUILLATONE_DATA_ROOT when set and not empty (tests), else the
// platform's rule, platformDataRoot():
//   Linux (DataRootXdg.cpp): $XDG_DATA_HOME when it is an absolute path, else
//     $HOME/.local/share when HOME is an absolute path;
//   Windows (DataRootWindows.cpp): the user's profile folder.
// With no root (empty string) nothing is created and every file path is
// empty, so every loader answers 3.
//
// Tree under the root, with the platform's separator ('\' on Windows):
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

// [any thread] Reads the environment (and on Windows asks the shell); returns
// the root without a trailing separator, or "" when there is none.
std::string findDataRoot();

// [any thread] The platform's rule alone, without the test override.
std::string platformDataRoot();

// [any thread] POSIX: starts with '/'. Windows: a drive letter with a colon
// and a separator ("C:\", "c:/"), or two separators (UNC "\\server\share").
bool isAbsolutePath(const std::string& path, PathStyle style = nativePathStyle);

// [any thread] Drops trailing separators but keeps a path's own root:
// "/" stays "/", "C:\" stays "C:\", "\\server\share\" becomes "\\server\share".
std::string withoutTrailingSeparators(std::string path, PathStyle style = nativePathStyle);

// [any thread] folder, one separator, then relative ('/'-separated, written
// with the style's separator). "" when folder is "".
std::string joinPath(const std::string& folder, const std::string& relative, PathStyle style = nativePathStyle);

// [any thread] "<root>/Harlox", or "" when root is "".
std::string makerFolderPath(const std::string& root, PathStyle style = nativePathStyle);

// [any thread] "<root>/Harlox/Quillatone", or "" when root is "".
std::string productFolderPath(const std::string& root, PathStyle style = nativePathStyle);

// [any thread] "<root>/Harlox/Quillatone/<relative>", or "" when root is "".
// relative uses '/' and has no leading slash, e.g. "bin/nef_rec.trc".
std::string productFilePath(const std::string& root, const std::string& relative,
                            PathStyle style = nativePathStyle);

// [host thread] Creates the seven folders above in order when they are not
// already directories (POSIX: mkdir with mode 0777, the umask applies;
// Windows: _mkdir, tested with FindFirstFileW); an existing folder is not an
// error. Stops at the first creation that fails. Returns true when all seven
// are directories afterwards; false (creating nothing) when root is "".
bool createDataFolders(const std::string& root);

} // namespace datafiles
