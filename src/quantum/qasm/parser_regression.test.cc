// Inputs that once misbehaved, or that aim at the parser's weak spots, checked with the fuzz
// target's property. Add every input the fuzzer reports (scripts/fuzz-qasm) here.
#include <gtest/gtest.h>

#include <string>

#include "quantum/qasm/fuzz/property.h"

using namespace qelix::qasm;

namespace {

using namespace std::string_literals;

const std::string HEAD = "OPENQASM 2.0;\nqreg q[2];\ncreg c[2];\n";

}  // namespace

TEST(QasmRegression, HostileInputsFailCleanlyOrRoundTrip) {
    const std::string inputs[] = {
        ""s,
        "\0"s,
        "}"s,
        "{{{{;"s,
        "OPENQASM 2.0;\0qreg q[1];"s,
        HEAD + "h q[0]\0;"s,
        HEAD + "x)( q[0];",
        HEAD + "gate g)( a { h a; } g q[0];",
        HEAD + "h q]0[;",
        HEAD + "measure q[0] -> c]0[;",
        HEAD + "if(c==1) x q]0[;",
        HEAD + "if)c==1( x q[0];",
        HEAD + "barrier ,,;",
        HEAD + "barrier q, q;",
        HEAD + "rx(" + std::string(100000, '(') + ") q[0];",
        HEAD + "rx(" + std::string(100000, '-') + "1) q[0];",
        HEAD + "rx(1e99999) q[0]; ry(-1e99999) q[0]; rz(0/0) q[0]; u3(1e-99999, .5, 5.) q[0];",
        HEAD + "crk(18446744073709551616) q[0], q[1]; crk(1e308) q[1], q[0]; crk(-0) q[0], q[1];",
        HEAD + "if(c==18446744073709551615) x q[0];",
        HEAD + "qreg r[18446744073709551615];",
        HEAD + "creg d[16777215]; if(d==0) x q[0];",
        HEAD + "gate g a { g a; } g q[0];",
        HEAD + "gate f a { h a; } gate g a { f a; f a; } gate f a { g a; } g q[0];",
        HEAD + "gate g(" + std::string(10000, ',') + ") a { h a; } g(" + std::string(10000, ',') + ") q[0];",
        HEAD + "gate g a { } } } g q[0];",
        HEAD + "gate { h q[0]; }",
        HEAD + "gate g a {",
        HEAD + "gate g a { h a; }\ng(1) q[0];\n",
    };
    for (const std::string& input : inputs) {
        auto problem = reread_problem(input);
        EXPECT_FALSE(problem.has_value()) << input.substr(0, 200) << "\n" << problem.value_or("");
    }
}
