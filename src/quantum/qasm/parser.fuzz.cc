// libFuzzer target for the OpenQASM parser (built and run by scripts/fuzz-qasm): any input must
// parse or fail with an error value, and a parsed circuit must survive being written and read
// back (fuzz/property.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "quantum/qasm/fuzz/property.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view source(reinterpret_cast<const char*>(data), size);
    if (auto problem = qelix::qasm::reread_problem(source)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
