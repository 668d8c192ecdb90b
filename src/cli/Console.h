#pragma once

#include "cli/ConsoleText.h"

#include <string>
#include <vector>

// The few things a console program does differently on each platform.

// The command-line arguments after the program's name, as the core's UTF-8 text.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes standard output and standard error take bytes as they are: UTF-8 paths, '\n' and
// NUL unchanged.
void PrepareStandardStreams();

// Standard output and standard error, each with whether a person reads it at a terminal.
ConsoleStream StandardOutput();
ConsoleStream StandardError();
