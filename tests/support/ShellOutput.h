// What a shell command prints on its standard output, for tests that look at files and
// programs as a user would.
#pragma once

#include <cstdio>
#include <string>

inline std::string ShellOutput(const std::string& pCommand) {
    std::string out;
    FILE* pipe = popen(pCommand.c_str(), "r");
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    if (pipe)
        pclose(pipe);
    return out;
}
