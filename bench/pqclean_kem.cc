// Baseline for bench/crypto.py: the three raw PQClean ML-KEM-768 calls (key pair,
// encapsulation, decapsulation) timed from C++, without framing, tags or Python.
// Prints the median microseconds of one keygen+enc+dec round.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include "crypto_kem/ml-kem-768/clean/api.h"
}

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    std::vector<std::uint8_t> pk(PQCLEAN_MLKEM768_CLEAN_CRYPTO_PUBLICKEYBYTES);
    std::vector<std::uint8_t> sk(PQCLEAN_MLKEM768_CLEAN_CRYPTO_SECRETKEYBYTES);
    std::vector<std::uint8_t> ct(PQCLEAN_MLKEM768_CLEAN_CRYPTO_CIPHERTEXTBYTES);
    std::uint8_t ss_enc[32], ss_dec[32];
    std::vector<double> micros;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        PQCLEAN_MLKEM768_CLEAN_crypto_kem_keypair(pk.data(), sk.data());
        PQCLEAN_MLKEM768_CLEAN_crypto_kem_enc(ct.data(), ss_enc, pk.data());
        PQCLEAN_MLKEM768_CLEAN_crypto_kem_dec(ss_dec, ct.data(), sk.data());
        auto stop = std::chrono::steady_clock::now();
        if (!std::equal(ss_enc, ss_enc + 32, ss_dec)) return 1;
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::nth_element(micros.begin(), micros.begin() + rounds / 2, micros.end());
    std::printf("%.3f\n", micros[rounds / 2]);
    return 0;
}
