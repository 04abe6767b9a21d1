#include "quantum/statevector/parallel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qelix;

TEST(ParallelFor, CoversEveryIndexOnceInDisjointBlocks) {
    for (bool parallel : {false, true})
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
            std::vector<int> hits(count);
            parallel_for(count, parallel, [&](std::size_t begin, std::size_t end) {
                ASSERT_LT(begin, end);
                for (std::size_t i = begin; i < end; ++i) ++hits[i];
            });
            for (int h : hits) ASSERT_EQ(h, 1);
        }
}

TEST(ParallelFor, SequentialTwinIsOneCall) {
    int calls = 0;
    parallel_for(100, false, [&](std::size_t begin, std::size_t end) {
        ++calls;
        EXPECT_EQ(begin, 0u);
        EXPECT_EQ(end, 100u);
    });
    EXPECT_EQ(calls, 1);
}
