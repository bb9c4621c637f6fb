#include "cli/local_input.h"

#include <cstdio>

LineRead ReadStdinLine(std::size_t limit, std::string& line) {
    line.clear();
    // A CR before the LF is part of the line end, so one byte more may be held for it.
    int c = std::getchar();
    if (c == EOF) {
        return LineRead::kEnded;
    }
    for (; c != EOF && c != '\n'; c = std::getchar()) {
        if (line.size() > limit) {
            return LineRead::kTooLong;
        }
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line.size() > limit ? LineRead::kTooLong : LineRead::kLine;
}
