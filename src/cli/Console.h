#pragma once

#include "cli/ConsoleText.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// The few things a console program does differently on each platform.

// The command-line arguments after the program's name, as the core's UTF-8 text.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Fits the threads started from now on (the scan's read-ahead) into the address space that
// a `ulimit -v` leaves: each reserves its stack, and on Linux a memory arena of 64 MiB, and
// a thread that then cannot allocate would end the program.
void PrepareThreads();

// Makes standard output and standard error take bytes as they are: UTF-8 paths, '\n' and
// NUL unchanged.
void PrepareStandardStreams();

// Standard output and standard error, each with whether a person reads it at a terminal.
ConsoleStream StandardOutput();
ConsoleStream StandardError();

// A log file opened for writing from its start: created, or emptied when it is a regular
// file. Anything else at `path` is refused, never written through or waited on: a link, a
// folder, a FIFO, a device. nullptr, with the reason in `failure`, when it cannot be opened.
std::FILE* CreateLogFile(const std::string& path, std::string& failure);

// The first `limit` bytes of the file at `path` (all of it when it is shorter), read to its
// end or to the limit: a regular file, a FIFO, a device. nullopt, with the reason in
// `failure`, when it cannot be opened or read.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit,
                                         std::string& failure);
