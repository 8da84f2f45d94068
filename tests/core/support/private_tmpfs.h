// Runs a check in a child process that has a small file system of its own (a tmpfs in a private
// mount namespace of a user namespace, as `unshare -rm` makes it), so that a test can fill a
// disk or take away the right to create files without touching the machine's file systems.
#pragma once

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace tarnova::test {

// What a check in the child found: empty when all was as expected, else what was not.
using ChildCheck = std::function<std::string(const std::string& mountPoint)>;

namespace detail {

inline bool writeProcFile(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    file.flush();
    return static_cast<bool>(file);
}

} // namespace detail

// Gives up the capabilities that let the process ignore file permissions: the folder and file
// modes then hold for it as for an ordinary user.
inline bool dropCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    return ::syscall(SYS_capset, &header, data) == 0;
}

// Runs check in a child whose mountPoint (an existing empty folder) holds a tmpfs of sizeBytes.
// None when the system gives no private namespaces (the caller then skips, saying so); else
// what check found.
inline std::optional<std::string>
runWithPrivateTmpfs(const std::string& mountPoint, std::size_t sizeBytes, const ChildCheck& check) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return std::nullopt;
    }
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !detail::writeProcFile("/proc/self/setgroups", "deny") ||
            !detail::writeProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !detail::writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tarnova-test", mountPoint.c_str(), "tmpfs", 0,
                    ("size=" + std::to_string(sizeBytes)).c_str()) != 0) {
            ::_exit(77);
        }
        const std::string found = check(mountPoint);
        const bool sent =
            ::write(channel[1], found.data(), found.size()) == static_cast<ssize_t>(found.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string found;
    char buffer[4096];
    for (ssize_t got = 0; (got = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            break;
        }
        found.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the child ended abnormally: " + found;
    }
    return found;
}

// Fills the file system that holds folder until it takes no more bytes, with the file "filler".
inline void fillFileSystem(const std::string& folder) {
    std::FILE* filler = std::fopen((folder + "/filler").c_str(), "wb");
    if (filler == nullptr) {
        return;
    }
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    // The last partial block too.
    while (std::fwrite("f", 1, 1, filler) == 1 && std::fflush(filler) == 0) {
    }
    std::fclose(filler);
}

} // namespace tarnova::test
