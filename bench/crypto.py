"""Cryptography timings, each against a baseline measured in the same run.

- kem_keygen + kem_encapsulate + kem_decapsulate at level3 from Python, against the
  same three raw PQClean calls timed from C++ (build/dev's qelix_pqclean_kem_bench,
  built by scripts/test). Target: ratio within 1.3x.
- sha3_256 of 1 MiB, against hashlib.sha3_256. Target: ratio at most 1.0x.
- random_bytes(65536): 65536 one-shot simulations of 8-qubit circuits, against
  os.urandom(65536) for scale. Target: under 0.5 s.

Run with PYTHONPATH=build/dev/python after scripts/test; pass another path to the
baseline program as the first argument if the build is elsewhere.
"""
import hashlib
import os
import statistics
import subprocess
import sys
import time

from qelix import crypto

ROUNDS = 300
REPEATS = 7
DEFAULT_RAW = os.path.join(os.path.dirname(__file__), "..", "build", "dev", "src", "crypto", "qelix_pqclean_kem_bench")


def median_seconds(fn, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def kem_round():
    pk, sk = crypto.kem_keygen("level3")
    ct, secret = crypto.kem_encapsulate(pk)
    assert crypto.kem_decapsulate(sk, ct) == secret


def kem():
    raw = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_RAW
    # Interleave the two sides so machine noise hits both alike.
    ours, theirs = [], []
    for _ in range(REPEATS):
        out = subprocess.run([raw, str(ROUNDS)], check=True, capture_output=True, text=True)
        theirs.append(float(out.stdout) * 1e-6)
        per_round = []
        for _ in range(ROUNDS):
            start = time.perf_counter()
            kem_round()
            per_round.append(time.perf_counter() - start)
        ours.append(statistics.median(per_round))
    ours_s, theirs_s = statistics.median(ours), statistics.median(theirs)
    print(f"kem level3 keygen+encapsulate+decapsulate: {ours_s * 1e6:.1f} us from Python, "
          f"{theirs_s * 1e6:.1f} us raw PQClean from C++; ratio {ours_s / theirs_s:.2f}x (target <= 1.3x)")


def sha3():
    data = os.urandom(1 << 20)
    assert crypto.sha3_256(data) == hashlib.sha3_256(data).digest()
    # Alternate the two and compare within each pair, so machine noise hits both alike.
    ours, theirs, ratios = [], [], []
    for _ in range(41):
        ours.append(median_seconds(lambda: crypto.sha3_256(data), 1))
        theirs.append(median_seconds(lambda: hashlib.sha3_256(data).digest(), 1))
        ratios.append(ours[-1] / theirs[-1])
    print(f"sha3_256 of 1 MiB: {statistics.median(ours) * 1e3:.2f} ms, hashlib {statistics.median(theirs) * 1e3:.2f} ms; "
          f"ratio {statistics.median(ratios):.2f}x (target <= 1.0x)")


def random_source():
    ours = median_seconds(lambda: crypto.random_bytes(65536), 3)
    theirs = median_seconds(lambda: os.urandom(65536), 3)
    print(f"random_bytes(65536): {ours:.3f} s (target < 0.5 s); os.urandom {theirs * 1e3:.3f} ms; "
          f"ratio {ours / theirs:.0f}x")


def main():
    kem()
    sha3()
    random_source()


if __name__ == "__main__":
    main()
