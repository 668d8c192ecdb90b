#pragma once

#include <cstdio>
#include <string>

// What a test's temporary file (std::tmpfile) holds, read back from its start; the file is
// closed.
inline std::string Written(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}
