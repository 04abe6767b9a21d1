// The worker pool on a shared machine: for 0, 1 and 2 competing CPU-bound processes
// (started here, one busy loop each), the time of `parallel=True` against
// `parallel=False` for the same random circuit at several sizes, alternated in one run
// so that both see the same conditions. Goals: parallel never above 1.1 x serial; idle,
// at least 1.6 x faster at 20 qubits and above.
//   threads_bench [MAX_COMPETITORS]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quantum/simulator/simulator.h"
#include "quantum/statevector/parallel.h"

using namespace qelix;

namespace {

/// `count` gates among rx, ry, rz, h and cx on random qubits.
Circuit random_circuit(std::size_t n, int count) {
    Circuit c = Circuit::create(n).value();
    SeededRng pick = SeededRng::from_seed_u64(n);
    for (int g = 0; g < count; ++g) {
        const std::size_t q = pick.gen_range_u64(0, n);
        const double angle = pick.next_f64() * 6.28;
        switch (pick.gen_range_u64(0, 5)) {
            case 0: (void)c.rx(q, angle); break;
            case 1: (void)c.ry(q, angle); break;
            case 2: (void)c.rz(q, angle); break;
            case 3: (void)c.h(q); break;
            default: (void)c.cnot(q, (q + 1 + pick.gen_range_u64(0, n - 1)) % n);
        }
    }
    return c;
}

double seconds(const Circuit& c, bool parallel) {
    SimulatorConfig config{.seed = 1, .backend = {}, .noise = NoiseModel::ideal(), .parallel = parallel};
    auto start = std::chrono::steady_clock::now();
    StateBuffer state = statevector(config, c).value();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Starts a process that spins until it is killed.
pid_t start_competitor() {
    pid_t pid = fork();
    if (pid == 0) {
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
    }
    return pid;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int max_competitors = argc > 1 ? std::atoi(argv[1]) : 2;
    struct Case {
        std::size_t qubits;
        int gates;
    };
    const Case cases[] = {{16, 1500}, {18, 1500}, {20, 1500}, {22, 300}, {24, 100}};
    std::printf("pool threads: %zu\n", worker_count());
    for (int competitors = 0; competitors <= max_competitors; ++competitors) {
        std::vector<pid_t> pids;
        for (int i = 0; i < competitors; ++i) pids.push_back(start_competitor());
        if (competitors > 0) usleep(300000);
        double load[3];
        getloadavg(load, 3);
        std::printf("%d competing processes (load average %.2f, %.2f, %.2f):\n", competitors, load[0], load[1],
                    load[2]);
        for (const Case& k : cases) {
            Circuit c = random_circuit(k.qubits, k.gates);
            std::vector<double> serial, parallel;
            for (int round = 0; round < 5; ++round) {
                serial.push_back(seconds(c, false));
                parallel.push_back(seconds(c, true));
            }
            const double s = median(serial), p = median(parallel);
            std::printf("  %2zu qubits, %4d gates: serial %8.4f s  parallel %8.4f s  parallel/serial %.2f\n", k.qubits,
                        k.gates, s, p, p / s);
            std::fflush(stdout);
        }
        for (pid_t pid : pids) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}
