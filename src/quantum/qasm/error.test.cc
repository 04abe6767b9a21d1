#include "quantum/qasm/error.h"

#include <gtest/gtest.h>

using namespace qelix;

TEST(QasmError, Messages) {
    EXPECT_EQ(QasmError::syntax(3, "Expected ';'").message(), "Parse error at line 3: Expected ';'");
    EXPECT_EQ(QasmError::unknown_gate("foo").message(), "Unknown gate 'foo'");
    EXPECT_EQ(QasmError::undeclared_register("r").message(), "Register 'r' not declared");
    EXPECT_EQ(QasmError::register_index_out_of_range(4, "q", 2).message(),
              "Qubit index 4 out of range for register 'q' (size 2)");
    EXPECT_EQ(QasmError::interrupted().message(), "Interrupted");
}
