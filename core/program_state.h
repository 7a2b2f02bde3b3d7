#pragma once

#include <cstdint>
#include <string>

namespace trelvo::core {

// What the whole program shares, whichever window is open.
struct ProgramState {
    std::int16_t LanguageBase = 1000;  // 0 German, 1000 English
    std::uint8_t PortNumber = 1;       // the COM port the program works with, 1..8
    bool Recording = false;
    std::string RecordFileName;  // UTF-8
};

}  // namespace trelvo::core
