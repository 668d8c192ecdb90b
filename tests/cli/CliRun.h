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
