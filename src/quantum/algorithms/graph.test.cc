#include "quantum/algorithms/graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/error.h"

using namespace qelix;

TEST(Graph, NamedGraphs) {
    const Graph square = *named_graph("square");
    EXPECT_EQ(square.num_vertices, 4u);
    EXPECT_EQ(square.edges, (std::vector<Edge>{{0, 1, 1.0}, {1, 2, 1.0}, {2, 3, 1.0}, {3, 0, 1.0}}));
    const Graph triangle = *named_graph("triangle");
    EXPECT_EQ(triangle.edges, (std::vector<Edge>{{0, 1, 1.0}, {1, 2, 1.0}, {0, 2, 1.0}}));
    EXPECT_EQ(*named_graph("petersen"), *named_graph("petersen_5"));
    EXPECT_EQ(named_graph("petersen_5")->num_vertices, 5u);
    EXPECT_EQ(named_graph("petersen_5")->edges.size(), 5u);
    EXPECT_FALSE(named_graph("Square"));
    EXPECT_FALSE(named_graph(""));
}

TEST(Graph, AssignmentsFromIndicesAndKeys) {
    EXPECT_EQ(assignment_of_index(0b0101, 4), (Assignment{true, false, true, false}));
    EXPECT_EQ(assignment_of_index(0b1111, 2), (Assignment{true, true}));
    EXPECT_EQ(assignment_of_key("1010", 4), (Assignment{true, false, true, false}));
    // Missing characters read as false.
    EXPECT_EQ(assignment_of_key("1", 3), (Assignment{true, false, false}));
}

TEST(Graph, CutValues) {
    const Graph square = *named_graph("square");
    EXPECT_EQ(cut_value(square, assignment_of_index(0b0101, 4)), 4.0);
    EXPECT_EQ(cut_value(square, assignment_of_index(0b0011, 4)), 2.0);
    EXPECT_EQ(cut_value(square, assignment_of_index(0, 4)), 0.0);
    const Graph weighted{{{0, 1, 2.5}, {1, 2, -1.0}, {0, 2, 0.25}}, 3};
    for (std::uint64_t k = 0; k < 8; ++k)
        EXPECT_EQ(cut_value_of_index(weighted, k), cut_value(weighted, assignment_of_index(k, 3))) << k;
    EXPECT_EQ(cut_value_of_index(weighted, 0b001), 2.75);
    const std::vector<double> table = cut_table(weighted);
    ASSERT_EQ(table.size(), 8u);
    for (std::uint64_t k = 0; k < 8; ++k) EXPECT_EQ(table[k], cut_value_of_index(weighted, k));
    // An edge to a vertex beyond the assignment treats that vertex as false.
    const Graph dangling{{{0, 7, 1.0}}, 2};
    EXPECT_EQ(cut_value(dangling, Assignment{true, false}), 1.0);
    EXPECT_EQ(cut_value_of_index(dangling, 0b01), 1.0);
}

TEST(Graph, BruteForceOptimum) {
    EXPECT_EQ(max_cut_brute_force(*named_graph("square")), 4.0);
    EXPECT_EQ(max_cut_brute_force(*named_graph("triangle")), 2.0);
    EXPECT_EQ(max_cut_brute_force(*named_graph("petersen_5")), 4.0);
    EXPECT_EQ(max_cut_brute_force(Graph{{}, 3}), 0.0);
    EXPECT_EQ(max_cut_brute_force(Graph{{{0, 1, -1.0}, {1, 2, -2.0}}, 3}), 0.0);
    EXPECT_EQ(max_cut_brute_force(Graph{{{0, 1, 2.5}, {1, 2, 1.0}}, 3}), 3.5);
    // NaN cut values never win over a number.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(max_cut_brute_force(Graph{{{0, 1, nan}, {1, 2, 1.0}}, 3}), 1.0);
    EXPECT_THROW(max_cut_brute_force(Graph{{}, MAX_ENUMERABLE_VERTICES + 1}), InternalFault);
    EXPECT_THROW(cut_table(Graph{{}, MAX_QAOA_VERTICES + 1}), InternalFault);
}
