// Running dialog code against in-memory console streams.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console.h"

// Run action with the console reading `input` and return what it printed.
template <typename Action> std::string withConsole(std::string input, Action action)
{
    FILE* in =
        input.empty() ? std::fopen("/dev/null", "r") : fmemopen(input.data(), input.size(), "r");
    char* printed = nullptr;
    std::size_t printedSize = 0;
    FILE* out = open_memstream(&printed, &printedSize);
    consoleIn = in;
    consoleOut = out;
    action();
    std::fclose(out);
    std::fclose(in);
    consoleIn = stdin;
    consoleOut = stdout;
    std::string text(printed, printedSize);
    std::free(printed);
    return text;
}
