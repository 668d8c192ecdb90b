#pragma once

#include <filesystem>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

// Linux tests that need a process of their own: to drop privileges (everything here runs
// as root, for whom permission bits deny nothing) or to mount in a private namespace.

// The exit status of a child that could not do what the test needs.
inline constexpr int ChildUnavailable = 77;

// Runs `body` in a child process and returns its exit status, or -1 when it did not exit.
inline int InChild(const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Enters a private mount namespace, so that nothing outside the child sees its mounts.
inline bool EnterPrivateMountNamespace() {
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// The mounts the tests use: a tmpfs, a bind mount of a folder of the same file system
// (same device as its parent), and a read-only one.
enum class MountKind { Tmpfs, Bind, ReadOnlyBind };

inline bool Mount(MountKind kind, const std::filesystem::path& source,
                  const std::filesystem::path& at) {
    if (kind == MountKind::Tmpfs) {
        return ::mount("vacantor-test", at.c_str(), "tmpfs", 0, nullptr) == 0;
    }
    if (::mount(source.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        return false;
    }
    return kind == MountKind::Bind ||
           ::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}
