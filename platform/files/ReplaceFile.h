#pragma once
#include <cstddef>
#include <string>

// Files written through a temporary name and then moved over the old one, so
// a failed write never leaves a cut file behind. Windows' rename does not
// replace an existing file; MoveFileExA does.
namespace fileio
{

// [any thread] Moves from over to, replacing to when it exists. True on
// success; on failure both files are as they were.
bool replaceFile(const std::string& from, const std::string& to);

// [any thread] Writes data to "<path>.partial", flushes it to the disk and
// replaces path with it. On POSIX the temporary never follows a symbolic link.
// On failure the temporary file is removed and path is untouched.
bool writeFileReplacing(const std::string& path, const void* data, std::size_t size);

} // namespace fileio
