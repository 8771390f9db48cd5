// Dialog programs on POSIX systems: PATH lookup and a spawned child whose
// output is collected while the window keeps being served.
#include "dialogcommand.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {
namespace dialog {

bool isExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

void run(const std::vector<std::string>& argv, int serviceFd, const std::function<void()>& service,
         std::string& output, int& status) {
    output.clear();
    status = -1;
    if (argv.empty())
        return;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return;
    }

    bool overflow = false, open = true, exited = false;
    int waitStatus = 0;
    while (!exited) {
        pollfd pfd[2];
        int n = 0;
        if (open)
            pfd[n++] = {fds[0], POLLIN, 0};
        if (serviceFd >= 0)
            pfd[n++] = {serviceFd, POLLIN, 0};
        int r = poll(pfd, nfds_t(n), 100);
        if (r < 0 && errno != EINTR)
            break;
        if (open && r > 0 && (pfd[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[4096];
            ssize_t got = read(fds[0], buf, sizeof buf);
            if (got > 0) {
                if (output.size() + size_t(got) > kMaxOutput) {
                    overflow = true;
                    kill(pid, SIGTERM);
                } else {
                    output.append(buf, size_t(got));
                }
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                open = false;
            }
        }
        if (service)
            service();
        if (!open) {
            pid_t w = waitpid(pid, &waitStatus, WNOHANG);
            if (w == pid)
                exited = true;
            else if (w < 0 && errno != EINTR)
                break; // child reaped elsewhere
        }
    }
    close(fds[0]);
    if (!exited) {
        kill(pid, SIGTERM);
        while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
        }
        return;
    }
    if (!overflow && WIFEXITED(waitStatus))
        status = WEXITSTATUS(waitStatus);
}

} // namespace dialog
} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI
