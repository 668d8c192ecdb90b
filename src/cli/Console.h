#pragma once

#include <string>
#include <vector>

// The few things a console program does differently on each platform.

// The command-line arguments after the program's name, as the core's UTF-8 text.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes standard output take bytes as they are: UTF-8 paths, '\n' and NUL unchanged.
void PrepareStandardOutput();

// True when standard output is a terminal, where rows should show up one by one.
bool StandardOutputIsInteractive();
