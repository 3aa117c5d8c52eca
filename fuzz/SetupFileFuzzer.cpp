// libFuzzer entry: arbitrary bytes as a setup file.
#include "SetupFileFuzzCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string broken = zvx::fuzz::checkSetupFileBytes(bytes);
    if (!broken.empty()) {
        std::fprintf(stderr, "setup file rule broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
