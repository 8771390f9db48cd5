#include "ReplaceFile.h"

#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fileio
{

#if defined(_WIN32)

bool replaceFile(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool writeFileReplacing(const std::string& path, const void* data, std::size_t size)
{
    const std::string partial = path + ".partial";
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const char* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size)
    {
        const std::size_t rest = size - written;
        const DWORD chunk = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
        DWORD n = 0;
        if (!WriteFile(file, bytes + written, chunk, &n, nullptr) || n == 0)
            break;
        written += n;
    }
    const bool ok = written == size && FlushFileBuffers(file);
    if (!CloseHandle(file) || !ok || !replaceFile(partial, path))
    {
        DeleteFileA(partial.c_str());
        return false;
    }
    return true;
}

#else

bool replaceFile(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool writeFileReplacing(const std::string& path, const void* data, std::size_t size)
{
    const std::string partial = path + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size)
    {
        const ssize_t n = ::write(fd, bytes + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == size && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || !replaceFile(partial, path))
    {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

#endif

} // namespace fileio
