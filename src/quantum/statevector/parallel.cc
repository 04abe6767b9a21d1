#include "quantum/statevector/parallel.h"

#include <omp.h>

namespace qelix {

std::size_t worker_count() {
    int threads = omp_get_max_threads();
    return threads > 0 ? static_cast<std::size_t>(threads) : 1;
}

}  // namespace qelix
