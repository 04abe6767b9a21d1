// Timings bench/peers.py needs from the C++ core, printed as one JSON line:
//   peer_cases REPEATS mps BOND SHOTS < program.qasm
//       runs the program on the matrix-product-state backend with that bond limit;
//   peer_cases REPEATS kernel N h|cx QUBIT...
//       one gate on an N-qubit state, alternated with one streaming read-and-write pass
//       over the same buffer on the same worker pool (the memory-bandwidth baseline).
// {"times": [...]} lists one wall time per run; the kernel mode adds the medians.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "quantum/qasm/parser.h"
#include "quantum/statevector/parallel.h"
#include "quantum/simulator/simulator.h"

using namespace qelix;

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void print_times(const std::vector<double>& times, const std::string& tail = "") {
    std::printf("{\"times\": [");
    for (std::size_t i = 0; i < times.size(); ++i) std::printf("%s%.9g", i ? ", " : "", times[i]);
    std::printf("]%s}\n", tail.c_str());
}

int status(const std::string& text) {
    std::printf("{\"status\": \"%s\"}\n", text.c_str());
    return 0;
}

int mps(int repeats, std::size_t bond, std::uint32_t shots) {
    std::string source(std::istreambuf_iterator<char>(std::cin), {});
    auto circuit = parse_qasm(source);
    if (!circuit) return status("error: " + circuit.error().message());
    SimulatorConfig config{.seed = 1, .backend = Backend::mps(bond), .noise = NoiseModel::ideal(), .parallel = true};
    auto first = run(config, *circuit, shots);  // warm-up, and the check that the backend exists
    if (!first) {
        std::string message = first.error().message();
        return status(message.find("not available") != std::string::npos ? "pending (MPS backend)"
                                                                         : "error: " + message);
    }
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        auto result = run(config, *circuit, shots);
        times.push_back(seconds_since(start));
        if (!result) return status("error: " + result.error().message());
    }
    print_times(times);
    return 0;
}

volatile double KEEP_SCALE = 1.0;

int kernel(int repeats, std::size_t n, const std::string& name, std::vector<std::size_t> targets) {
    StateBuffer state = StateBuffer::allocate(n).value();
    // A dense state with no zero parts, as after a few layers of a generic circuit.
    std::span<Complex> amps = state.amplitudes();
    const double scale = 1.0 / std::sqrt(2.0 * static_cast<double>(amps.size()));
    for (std::size_t k = 0; k < amps.size(); ++k)
        amps[k] = {scale * (1.0 + 0.25 * static_cast<double>(k % 7)),
                   -scale * (0.5 + 0.125 * static_cast<double>(k % 5))};
    Gate gate = name == "h" ? gates::h() : gates::cnot();
    double* d = reinterpret_cast<double*>(amps.data());
    const std::size_t doubles = 2 * amps.size();
    const double factor = KEEP_SCALE;
    auto stream_pass = [&] {
        parallel_for(doubles, true, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) d[i] *= factor;
        });
    };
    auto timed = [](auto&& body) {
        auto start = std::chrono::steady_clock::now();
        body();
        return seconds_since(start);
    };
    state.apply_gate(gate, targets, true);  // warm-up: pages touched, workers started
    std::vector<double> gate_times, pass_times;
    for (int i = 0; i < repeats; ++i) {
        pass_times.push_back(timed(stream_pass));
        gate_times.push_back(timed([&] { state.apply_gate(gate, targets, true); }));
    }
    char tail[160];
    std::snprintf(tail, sizeof tail, ", \"stream\": {\"gate\": %.9g, \"pass\": %.9g, \"threads\": %zu}",
                  median(gate_times), median(pass_times), worker_count());
    print_times(gate_times, tail);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[1] == "mps")
        return mps(std::stoi(args[0]), std::stoul(args[2]), static_cast<std::uint32_t>(std::stoul(args[3])));
    if (args.size() >= 5 && args[1] == "kernel") {
        std::vector<std::size_t> targets;
        for (std::size_t i = 4; i < args.size(); ++i) targets.push_back(std::stoul(args[i]));
        return kernel(std::stoi(args[0]), std::stoul(args[2]), args[3], targets);
    }
    std::fprintf(stderr, "usage: peer_cases REPEATS mps BOND SHOTS < program | REPEATS kernel N h|cx QUBIT...\n");
    return 2;
}
