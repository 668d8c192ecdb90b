#pragma once

#include "support/TempFolder.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

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

// The shell's `command` with what it wrote and its exit status. `output`: where standard
// output goes instead of into `out` (a full device, say).
inline CliRun RunShell(const std::string& command, const std::string& output = "") {
    TempFolder capture;
    std::string redirected = command + " >" +
                             Quoted(output.empty() ? capture.Text("out") : output) + " 2>" +
                             Quoted(capture.Text("err"));
    int raw = std::system(redirected.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = output.empty() ? ReadFile(capture.Path() / "out") : "";
    run.err = ReadFile(capture.Path() / "err");
    return run;
}

// `runner`: a command that runs the program for another user, say; empty for none.
inline CliRun RunCli(const std::string& arguments, const std::string& runner = "",
                     const std::string& output = "") {
    return RunShell(runner + " " + Quoted(VACANTOR_CLI) + " " + arguments, output);
}

// The shell's `command` run on a terminal of its own, with everything it wrote there,
// standard output and standard error together, in `out`: the bytes the program wrote, but
// for the terminal's line ends ("\r\n"), turned back into '\n'.
inline CliRun RunOnTerminal(const std::string& command) {
    CliRun run = RunShell("script -qec " + Quoted(command) + " /dev/null </dev/null");
    for (std::size_t at = 0; (at = run.out.find("\r\n", at)) != std::string::npos; ++at) {
        run.out.replace(at, 2, "\n");
    }
    return run;
}
