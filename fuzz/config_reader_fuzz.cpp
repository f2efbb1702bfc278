// Reads arbitrary bytes as a configuration file and writes it back.
#include <cstdint>

#include "config/configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantor::CConfiguration config;
    config.LoadFromBytes(data, size);
    config.SaveToBytes();
    return 0;
}
