// Timing of the OpenQASM parser on generated programs; run by bench/qasm. Times are
// processor seconds (best of three), so other processes on the machine distort them less.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

using namespace qelix;

namespace {

double cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

/// Best processor time of a few runs, in seconds. The work is single-threaded, so this is its
/// wall time on an idle machine, and it does not count time lost to other processes. The best
/// wall time goes to `wall` when given.
double best_of(int runs, const std::function<void()>& work, double* wall = nullptr) {
    double best = 1e300, best_wall = 1e300;
    for (int i = 0; i < runs; ++i) {
        double start = cpu_seconds(), start_wall = wall_seconds();
        work();
        best = std::min(best, cpu_seconds() - start);
        best_wall = std::min(best_wall, wall_seconds() - start_wall);
    }
    if (wall) *wall = best_wall;
    return best;
}

/// `lines` operation lines cycling through h, cx, measure and barrier on 16 qubits.
std::string flat_program(std::size_t lines) {
    std::string s = "OPENQASM 2.0;\ninclude \"qelib1.inc\";\nqreg q[16];\ncreg c[16];\n";
    s.reserve(lines * 24);
    for (std::size_t i = 0; i < lines; ++i) {
        std::size_t a = i % 16, b = (i + 1) % 16;
        switch (i % 4) {
            case 0: s += "h q[" + std::to_string(a) + "];\n"; break;
            case 1: s += "cx q[" + std::to_string(a) + "], q[" + std::to_string(b) + "];\n"; break;
            case 2: s += "measure q[" + std::to_string(a) + "] -> c[" + std::to_string(a) + "];\n"; break;
            default: s += "barrier q[" + std::to_string(a) + "], q[" + std::to_string(b) + "];\n";
        }
    }
    return s;
}

/// One call of a gate defined `levels` deep, each level calling the one below twice: 2^levels
/// gates of output from a program of a few lines.
std::string nested_program(int levels) {
    std::string s = "OPENQASM 2.0;\nqreg q[2];\ngate g0(t) a, b { rx(t) a; cx a, b; }\n";
    for (int i = 1; i < levels; ++i) {
        std::string below = "g" + std::to_string(i - 1);
        s += "gate g" + std::to_string(i) + "(t) a, b { " + below + "(t / 2) a, b; " + below + "(t * 2) b, a; }\n";
    }
    return s + "g" + std::to_string(levels - 1) + "(pi) q[0], q[1];\n";
}

/// `gates` gates cycling through every kind of the table (and a dagger of each), angles drawn
/// from a fixed generator, so that every angle needs all of its digits.
Circuit table_circuit(std::size_t gates) {
    Circuit c = Circuit::create(16).value();
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> angle(-4.0, 4.0);
    auto table = gate_table();
    for (std::size_t i = 0; i < gates; ++i) {
        const GateInfo& info = table[i % table.size()];
        double params[4] = {angle(rng), angle(rng), angle(rng), angle(rng)};
        if (info.kind == GateKind::CRk) params[0] = static_cast<double>(i % 40);
        Gate gate = make_gate(info.kind, std::span(params, info.num_params));
        if ((i / table.size()) % 2) gate = dagger(gate);
        std::vector<std::size_t> targets{i % 16};
        if (info.num_qubits == 2) targets.push_back((i + 1 + i / 16 % 15) % 16);
        (void)c.append_gate(std::move(gate), std::move(targets));
    }
    return c;
}

std::size_t must_parse(const std::string& source) {
    auto c = parse_qasm(source);
    if (!c) {
        std::fprintf(stderr, "parse failed: %s\n", c.error().message().c_str());
        std::exit(1);
    }
    return c->instructions().size();
}

}  // namespace

int main() {
    std::printf("flat programs (h, cx, measure, barrier lines); baseline = copying the source text\n");
    std::printf("%10s %12s %12s %12s %14s %12s\n", "lines", "parse s", "(wall s)", "copy s", "parse/copy", "ns/line");
    for (std::size_t lines : {125'000u, 250'000u, 500'000u, 1'000'000u}) {
        std::string source = flat_program(lines);
        std::size_t ops = 0;
        double wall = 0;
        double parse = best_of(
            3, [&] { ops = must_parse(source); }, &wall);
        double copy = best_of(3, [&] {
            std::string dup = source;
            if (dup.size() != source.size()) std::abort();
        });
        if (ops != lines) std::abort();
        std::printf("%10zu %12.3f %12.3f %12.5f %14.1f %12.1f\n", lines, parse, wall, copy, parse / copy,
                    parse / static_cast<double>(lines) * 1e9);
    }

    std::printf(
        "\nuser-gate expansion: one call of a definition nested `levels` deep (2^levels gates);\n"
        "baseline = the same gates written out line by line; a constant ratio means linear expansion\n");
    std::printf("%10s %12s %12s %12s %12s\n", "gates", "nested s", "flat s", "nested/flat", "ns/gate");
    for (int levels : {14, 16, 18, 20}) {
        std::string nested = nested_program(levels);
        std::size_t gates = std::size_t{1} << levels;
        std::string flat = "OPENQASM 2.0;\nqreg q[2];\n";
        for (std::size_t i = 0; i < gates / 2; ++i) flat += "rx(0.5) q[0];\ncx q[0], q[1];\n";
        std::size_t ops = 0;
        double t_nested = best_of(3, [&] { ops = must_parse(nested); });
        if (ops != gates) std::abort();
        double t_flat = best_of(3, [&] { ops = must_parse(flat); });
        std::printf("%10zu %12.3f %12.3f %12.2f %12.1f\n", gates, t_nested, t_flat, t_nested / t_flat,
                    t_nested / static_cast<double>(gates) * 1e9);
    }

    std::printf("\nserializer on the 1,000,000-line program's circuit\n");
    auto circuit = parse_qasm(flat_program(1'000'000)).value();
    std::size_t size = 0;
    double t = best_of(3, [&] { size = to_qasm(circuit).size(); });
    std::printf("to_qasm: %.3f s for %zu characters\n", t, size);

    std::printf("\n100,000 gates of every kind of the table with full-precision random angles, 16 qubits\n");
    Circuit angles = table_circuit(100'000);
    std::string text = to_qasm(angles);
    double write = best_of(3, [&] { size = to_qasm(angles).size(); });
    double read = best_of(3, [&] {
        if (must_parse(text) != 100'000) std::abort();
    });
    std::printf("to_qasm: %.3f s, parse_qasm: %.3f s, %zu characters\n", write, read, size);
    return 0;
}
