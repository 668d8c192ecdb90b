#include "cli/Console.h"

#include <unistd.h>

// Linux arguments are byte strings, passed on exactly.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareStandardOutput() {}

bool StandardOutputIsInteractive() {
    return ::isatty(STDOUT_FILENO) == 1;
}
