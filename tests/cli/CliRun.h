#pragma once

#include "support/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

// vacantor-cli run as its own process, with what it wrote and its exit status.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// `runner`: a command that runs the program for another user, say; empty for none.
inline CliRun RunCli(const std::string& arguments, const std::string& runner = "") {
    TempFolder capture;
    std::string command = runner + " " + Quoted(VACANTOR_CLI) + " " + arguments + " >" +
                          Quoted(capture.Text("out")) + " 2>" + Quoted(capture.Text("err"));
    int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(capture.Path() / "out");
    run.err = ReadFile(capture.Path() / "err");
    return run;
}

// `command` (a program found on PATH and its arguments) run on a terminal of its own, with
// everything it wrote there, standard output and standard error together, in `out`. The
// terminal is raw, so that the bytes come back as the program wrote them.
inline CliRun RunOnTerminal(std::vector<std::string> command) {
    termios raw{};
    ::cfmakeraw(&raw);
    int terminal = -1;
    CliRun run;
    pid_t child = ::forkpty(&terminal, nullptr, &raw, nullptr);
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& argument : command) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    if (child < 0) {
        return run;
    }
    char chunk[4096];
    for (;;) {
        ssize_t got = ::read(terminal, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break; // EIO once the program has closed its side
        }
        run.out.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(terminal);
    int rawStatus = 0;
    if (::waitpid(child, &rawStatus, 0) == child && WIFEXITED(rawStatus)) {
        run.status = WEXITSTATUS(rawStatus);
    }
    return run;
}
