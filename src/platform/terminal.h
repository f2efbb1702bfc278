#pragma once

#include <cstdio>

namespace vantor {

// True when the stream is a terminal: progress and prompts are shown there only.
bool IsTerminal(std::FILE* stream);

}  // namespace vantor
