#include "cli/Console.h"

#include <unistd.h>

// Linux arguments are byte strings, passed on exactly.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareStandardStreams() {}

ConsoleStream StandardOutput() {
    return {stdout, ::isatty(STDOUT_FILENO) == 1};
}

ConsoleStream StandardError() {
    return {stderr, ::isatty(STDERR_FILENO) == 1};
}
