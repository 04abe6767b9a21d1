#include "quantum/qasm/parser.h"

#include <gtest/gtest.h>

#include <string>

using namespace qelix;

namespace {

/// Header, include, qreg q[3] and creg c[2]: the body starts on line 5.
const std::string HEAD = "OPENQASM 2.0;\ninclude \"qelib1.inc\";\nqreg q[3];\ncreg c[2];\n";

Circuit parse_ok(const std::string& source) {
    auto circuit = parse_qasm(source);
    EXPECT_TRUE(circuit.has_value()) << source << "\n-> " << circuit.error().message();
    return circuit ? *circuit : Circuit::create(1).value();
}

std::string error_of(const std::string& source) {
    auto circuit = parse_qasm(source);
    return circuit ? "no error" : circuit.error().message();
}

std::string body_error(const std::string& body) { return error_of(HEAD + body); }

const GateOp& gate_at(const Circuit& c, std::size_t i) { return std::get<GateOp>(c.instructions().at(i)); }

/// The instructions of a circuit built directly, for comparing with a parsed one.
template <class Build>
std::vector<Instruction> built(std::size_t qubits, std::size_t clbits, Build build) {
    Circuit c = Circuit::with_classical_bits(qubits, clbits).value();
    build(c);
    return c.instructions();
}

}  // namespace

TEST(ParseQasm, HeaderAndRegisterTotals) {
    EXPECT_EQ(error_of(""), "Parse error at line 1: missing OPENQASM header");
    EXPECT_EQ(error_of("\n  // nothing\n;;"), "Parse error at line 1: missing OPENQASM header");
    EXPECT_EQ(error_of("\n\nqreg q[1];"), "Parse error at line 3: expected 'OPENQASM 2.0;' header");
    EXPECT_EQ(error_of("OPENQASM 3.0;"), "Parse error at line 1: expected 'OPENQASM 2.0;' header");
    EXPECT_EQ(error_of("OPENQASM 2.0;"), "Parse error at line 1: at least one qreg declaration is required");
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg q[0];\ncreg c[4];"),
              "Parse error at line 1: at least one qreg declaration is required");
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg a[100];\nqreg b[29];"),
              "Parse error at line 1: Circuit exceeds maximum qubit count (129 > 128)");
    // Totals saturate rather than wrap around to a small number of qubits.
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg a[18446744073709551615];\nqreg b[2];"),
              "Parse error at line 1: Circuit exceeds maximum qubit count (18446744073709551615 > 128)");
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg q[1];\ncreg c[16777217];"),
              "Parse error at line 1: Simulation error: circuit would exceed the limit of 16777216 classical bits");

    Circuit c = parse_ok("OPENQASM 2.0;\nqreg a[2];\nqreg b[126];\ncreg x[3];\ncreg y[1];");
    EXPECT_EQ(c.num_qubits(), 128u);
    EXPECT_EQ(c.num_classical_bits(), 4u);
    EXPECT_TRUE(c.instructions().empty());
}

TEST(ParseQasm, FirstPassStatementErrors) {
    EXPECT_EQ(body_error("include \"other.inc\";"), "Parse error at line 5: only include \"qelib1.inc\" is supported");
    EXPECT_EQ(body_error("gate g a;"), "Parse error at line 5: gate definition must contain '{'");
    EXPECT_EQ(body_error("gate g { h q[0]; }"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("qreg r;"), "Parse error at line 5: expected indexed identifier, got 'r'");
    EXPECT_EQ(body_error("creg r[2;"), "Parse error at line 5: expected closing ']' in 'r[2'");
    EXPECT_EQ(body_error("qreg r[two];"), "Parse error at line 5: invalid register index in 'r[two]'");
    // The whole first pass runs before any operation is read.
    EXPECT_EQ(body_error("h q[7];\ninclude \"x\";"), "Parse error at line 6: only include \"qelib1.inc\" is supported");
    // Keywords are case-sensitive and need a blank: these reach the second pass as gates.
    EXPECT_EQ(body_error("QREG q[1];"), "Unknown gate 'qreg'");
    EXPECT_EQ(body_error("include\t\"qelib1.inc\";"), "no error");
}

TEST(ParseQasm, OperandErrors) {
    EXPECT_EQ(body_error("measure q -> c;"),
              "Parse error at line 5: measure needs a qubit and a bit, or two registers of the same size");
    EXPECT_EQ(body_error("measure q[0] -> c;"),
              "Parse error at line 5: measure needs a qubit and a bit, or two registers of the same size");
    EXPECT_EQ(body_error("cx q, c;"), "Register 'c' not declared");
    EXPECT_EQ(body_error("qreg r[2]; cx q, r;"),
              "Parse error at line 5: registers of different sizes in one statement (3 and 2)");
    EXPECT_EQ(body_error("h q[0;"), "Parse error at line 5: expected closing ']' in 'q[0'");
    EXPECT_EQ(body_error("h q[];"), "Parse error at line 5: invalid register index in 'q[]'");
    EXPECT_EQ(body_error("h q[-1];"), "Parse error at line 5: invalid register index in 'q[-1]'");
    EXPECT_EQ(body_error("h q[18446744073709551616];"),
              "Parse error at line 5: invalid register index in 'q[18446744073709551616]'");
    EXPECT_EQ(body_error("h r[0];"), "Register 'r' not declared");
    EXPECT_EQ(body_error("h q[3];"), "Qubit index 3 out of range for register 'q' (size 3)");
    EXPECT_EQ(body_error("measure q[0] -> c[2];"), "Qubit index 2 out of range for register 'c' (size 2)");
    EXPECT_EQ(body_error("measure q[0] -> d[0];"), "Register 'd' not declared");
    EXPECT_EQ(body_error("measure q[0] c[0];"), "Parse error at line 5: measurement must use '->'");
    EXPECT_EQ(body_error("barrier q, r;"), "Register 'r' not declared");
    // An explicit '+', blanks inside the brackets and text after the last ']' are accepted.
    Circuit c = parse_ok(HEAD + "h q[+1];\nx q[ 2 ]junk;");
    EXPECT_EQ(gate_at(c, 0).targets, std::vector<std::size_t>{1});
    EXPECT_EQ(gate_at(c, 1).targets, std::vector<std::size_t>{2});
}

TEST(ParseQasm, ErrorKindsAndLines) {
    auto err = [](const std::string& body) { return parse_qasm(HEAD + body).error(); };
    EXPECT_EQ(err("\n\n   foo q[0];"), QasmError::unknown_gate("foo"));
    EXPECT_EQ(err("h r[0];"), QasmError::undeclared_register("r"));
    EXPECT_EQ(err("h q[9];"), QasmError::register_index_out_of_range(9, "q", 3));
    EXPECT_EQ(err("\n\n   h q[0;"), QasmError::syntax(7, "expected closing ']' in 'q[0'"));
    // A statement spread over lines reports the line where it starts.
    EXPECT_EQ(err("\n  cx q[0],\n q[0];"),
              QasmError::syntax(6, "Two-qubit gate requires different qubits, got 0 and 0"));
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg q[1];\n\n    h q[0]"),
              "Parse error at line 4: missing semicolon or closing '}'");
}

TEST(ParseQasm, ConditionalErrors) {
    EXPECT_EQ(body_error("if(c==1 x q[0];"), "Parse error at line 5: conditional statement missing ')'");
    EXPECT_EQ(body_error("if(c=1) x q[0];"), "Parse error at line 5: conditional must use '=='");
    EXPECT_EQ(body_error("if(d==1) x q[0];"), "Register 'd' not declared");
    for (const char* value : {"", "+", "-1", "1a", "0x1", "1.0", "18446744073709551616"})
        EXPECT_EQ(body_error("if(c==" + std::string(value) + ") x q[0];"),
                  "Parse error at line 5: conditional value must be an integer")
            << value;
    EXPECT_EQ(body_error("if(c==1);"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("if(c==1) foo q[0];"), "Unknown gate 'foo'");
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg q[1];\ncreg c[0];\nif(c==0) x q[0];"),
              "Parse error at line 4: Simulation error: conditional gates require at least one classical bit");
}

TEST(ParseQasm, GateStatementErrors) {
    EXPECT_EQ(body_error("h;"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("rx(pi / 2)q[0];"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("rx(theta) q[0];"), "Parse error at line 5: unknown identifier 'theta'");
    EXPECT_EQ(body_error("rx(1-) q[0];"), "Parse error at line 5: invalid numeric literal ''");
    EXPECT_EQ(body_error("rx((1) q[0];"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("rx((1,2)) q[0];"), "Parse error at line 5: missing closing ')' in expression");
    EXPECT_EQ(body_error("rx(1 2) q[0];"), "Parse error at line 5: unexpected token in expression '1 2'");
    EXPECT_EQ(body_error("cx q[1], q[1];"),
              "Parse error at line 5: Two-qubit gate requires different qubits, got 1 and 1");
    EXPECT_EQ(body_error("h q[0], q[1];"), "Unknown gate 'h'");
    EXPECT_EQ(body_error("rx q[0];"), "Unknown gate 'rx'");
    EXPECT_EQ(body_error("rx() q[0];"), "Unknown gate 'rx'");
    EXPECT_EQ(body_error("crk(2.5) q[0], q[1];"), "Unknown gate 'crk'");
    EXPECT_EQ(body_error("crk(-1) q[0], q[1];"), "Unknown gate 'crk'");
    EXPECT_EQ(body_error("crk(1/0) q[0], q[1];"), "Unknown gate 'crk'");
    EXPECT_EQ(body_error("ccx q[0], q[1], q[1];"),
              "Parse error at line 5: Two-qubit gate requires different qubits, got 1 and 1");
    // Parameters are evaluated before operands are resolved, and both before the name is looked up.
    EXPECT_EQ(body_error("foo(x) r[0];"), "Parse error at line 5: unknown identifier 'x'");
    EXPECT_EQ(body_error("foo r[0];"), "Register 'r' not declared");
}

TEST(ParseQasm, ClosersBeforeOpenersAreRefused) {
    EXPECT_EQ(body_error("x)( q[0];"), "Parse error at line 5: missing closing ')'");
    EXPECT_EQ(body_error("rx)(0.5 q[0];"), "Parse error at line 5: missing closing ')'");
    EXPECT_EQ(body_error("h) q[0];"), "Parse error at line 5: gate statement requires operands");
    EXPECT_EQ(body_error("gate g)( a { h a; }"), "Parse error at line 5: missing closing ')'");
    EXPECT_EQ(body_error("h q]0[;"), "Parse error at line 5: expected closing ']' in 'q]0['");
    EXPECT_EQ(body_error("qreg r]2[;"), "Parse error at line 5: expected closing ']' in 'r]2['");
    EXPECT_EQ(body_error("measure q[0] -> c]0[;"), "Parse error at line 5: expected closing ']' in 'c]0['");
    // A ']' before the '[' is fine when another one closes it.
    EXPECT_EQ(body_error("h q]x[1];"), "Register 'q]x' not declared");
}

TEST(ParseQasm, BuiltInGates) {
    Circuit c = parse_ok(HEAD +
                         "id q[0]; H q[0]; X q[1]; y q[2]; z q[0]; s q[0]; sdg q[0]; t q[0]; tdg q[0];\n"
                         "rx(pi/2) q[0]; ry(-pi) q[0]; rz(2*(1 + 0.5)) q[0]; rx(1 - 2) q[0]; u1(0.25) q[1];\n"
                         "u2(0.5, 0.25) q[1]; u3(1, 2, 3) q[2]; U(1,2,3) q[2];\n"
                         "CX q[0], q[1]; cz q[1], q[2]; swap q[2], q[0];\n"
                         "crk(3) q[0], q[1]; crk(2.9999999999) q[1], q[0]; crk(0) q[0], q[2];");
    auto expected = built(3, 2, [](Circuit& e) {
        (void)e.h(0), (void)e.x(1), (void)e.y(2), (void)e.z(0), (void)e.s(0), (void)e.sdg(0), (void)e.t(0);
        (void)e.tdg(0);
        (void)e.rx(0, 1.5707963267948966), (void)e.ry(0, -3.141592653589793), (void)e.rz(0, 3.0);
        (void)e.rx(0, -1.0), (void)e.rz(1, 0.25), (void)e.u3(1, 1.5707963267948966, 0.5, 0.25);
        (void)e.u3(2, 1, 2, 3), (void)e.u3(2, 1, 2, 3);
        (void)e.cnot(0, 1), (void)e.cz(1, 2), (void)e.swap(2, 0);
        (void)e.crk(0, 1, 3), (void)e.crk(1, 0, 3), (void)e.crk(0, 2, 0);
    });
    EXPECT_EQ(c.instructions(), expected);
    // Whole values beyond 2^64 saturate the rotation index.
    Circuit big = parse_ok(HEAD + "crk(1e300) q[0], q[1];");
    EXPECT_EQ(gate_at(big, 0).gate.name, "CR18446744073709551615");
}

TEST(ParseQasm, CcxExpandsToTheLibraryToffoli) {
    Circuit c = parse_ok(HEAD + "ccx q[2], q[0], q[1];");
    auto expected = built(3, 2, [](Circuit& e) { (void)e.toffoli(2, 0, 1); });
    EXPECT_EQ(c.instructions(), expected);
}

TEST(ParseQasm, MeasureBarrierAndConditionals) {
    Circuit c = parse_ok(
        "OPENQASM 2.0;\nqreg a[2];\nqreg b[3];\ncreg x[1];\ncreg c[2];\n"
        "measure b[1] -> c[1];\nbarrier a, b[2];\nbarrier b[0],a[1];\nif(c==2) x a[0];\nif (x == +1) cx a[1], b[0];\n"
        "if(c==3) ccx a[0], a[1], b[0];\nif(c==1) id a[0];");
    ASSERT_EQ(c.instructions().size(), 5u + 15u);
    EXPECT_EQ(c.instructions()[0], Instruction(MeasureOp{3, 2}));
    EXPECT_EQ(c.instructions()[1], Instruction(BarrierOp{{0, 1, 4}}));
    EXPECT_EQ(c.instructions()[2], Instruction(BarrierOp{{2, 1}}));
    EXPECT_EQ(c.instructions()[3], Instruction(ConditionalOp{{1, 2}, 2, gates::x(), {0}}));
    EXPECT_EQ(c.instructions()[4], Instruction(ConditionalOp{{0}, 1, gates::cnot(), {1, 2}}));
    for (std::size_t i = 5; i < 20; ++i) {
        const auto& op = std::get<ConditionalOp>(c.instructions()[i]);
        EXPECT_EQ(op.classical_bits, (std::vector<std::size_t>{1, 2}));
        EXPECT_EQ(op.value, 3u);
    }
    EXPECT_EQ(c.num_classical_bits(), 3u);
}

TEST(ParseQasm, DeclarationsApplyToTheWholeFile) {
    Circuit c = parse_ok("OPENQASM 2.0;\nh q[0];\nqreg q[1];");
    EXPECT_EQ(c.num_qubits(), 1u);
    EXPECT_EQ(gate_at(c, 0).gate, gates::h());
    // A repeated name points at the new register; the old bits stay counted.
    Circuit r = parse_ok("OPENQASM 2.0;\nqreg q[2];\nqreg q[1];\nx q[0];");
    EXPECT_EQ(r.num_qubits(), 3u);
    EXPECT_EQ(gate_at(r, 0).targets, std::vector<std::size_t>{2});
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg q[2];\nqreg q[1];\nx q[1];"),
              "Qubit index 1 out of range for register 'q' (size 1)");
    Circuit ab = parse_ok("OPENQASM 2.0;\nqreg a[2];\nqreg b[3];\nx b[1];");
    EXPECT_EQ(gate_at(ab, 0).targets, std::vector<std::size_t>{3});
    EXPECT_EQ(error_of("OPENQASM 2.0;\nqreg a[2];\nqreg b[3];\nx b[3];"),
              "Qubit index 3 out of range for register 'b' (size 3)");
}

TEST(ParseQasm, UserGatesExpandInline) {
    Circuit bell = parse_ok(HEAD + "gate bell a, b { h a; cx a, b; } bell q[0], q[1];");
    EXPECT_EQ(bell.instructions(), built(3, 2, [](Circuit& e) { (void)e.h(0), (void)e.cnot(0, 1); }));

    // Used before it is defined, with parameters, nested calls, global operands and upper case.
    Circuit c = parse_ok(HEAD +
                         "ROT(pi, 2) q[2];\n"
                         "gate Rot(theta, k) t {\n  rx(theta / k) t;\n  pair(theta) t, q[0];\n}\n"
                         "gate pair(phi) x, y { cx x, y; rz(-phi) y; }");
    EXPECT_EQ(c.instructions(), built(3, 2, [](Circuit& e) {
                  (void)e.rx(2, 3.141592653589793 / 2), (void)e.cnot(2, 0), (void)e.rz(0, -3.141592653589793);
              }));

    // A definition's names hide registers; callers' names are not visible inside.
    Circuit hide = parse_ok(HEAD + "gate g q { x q; } g q[1];");
    EXPECT_EQ(gate_at(hide, 0).targets, std::vector<std::size_t>{1});
    EXPECT_EQ(body_error("gate outer(a) x { inner x; } gate inner y { rx(a) y; } outer(1) q[0];"),
              "Parse error at line 5: unknown identifier 'a'");

    // A later definition replaces an earlier one, and a user gate may reuse a built-in name with other counts.
    Circuit later =
        parse_ok(HEAD + "gate g a { x a; } gate g a { y a; } g q[0]; gate h a, b { cz a, b; } h q[0], q[1];");
    EXPECT_EQ(later.instructions(), built(3, 2, [](Circuit& e) { (void)e.y(0), (void)e.cz(0, 1); }));
    // Duplicate argument names: the last binding wins.
    Circuit dup = parse_ok(HEAD + "gate d(a, a) x, x { rx(a) x; } d(1, 2) q[0], q[1];");
    EXPECT_EQ(dup.instructions(), built(3, 2, [](Circuit& e) { (void)e.rx(1, 2.0); }));
}

TEST(ParseQasm, UserGateErrors) {
    const std::string g = "gate g(a) x, y { cx x, y; }\n";
    EXPECT_EQ(body_error(g + "g q[0], q[1];"), "Parse error at line 6: gate 'g' expects 1 parameters, got 0");
    EXPECT_EQ(body_error(g + "G(1) q[0];"), "Parse error at line 6: gate 'g' expects 2 operands, got 1");
    EXPECT_EQ(body_error(g + "g(1) q[0], q[0];"),
              "Parse error at line 6: Two-qubit gate requires different qubits, got 0 and 0");
    // Errors inside a body are reported at the line of the top-level statement.
    EXPECT_EQ(body_error("gate bad a { foo a; }\n\nbad q[0];"), "Unknown gate 'foo'");
    EXPECT_EQ(body_error("gate bad a { rx(1-) a; }\n\nbad q[0];"), "Parse error at line 7: invalid numeric literal ''");
    EXPECT_EQ(body_error("gate bad a { h b; }\n\nbad q[0];"),
              "Parse error at line 7: expected indexed identifier, got 'b'");
    // A barrier in a body is dropped; other statements a body cannot hold are gate statements there.
    EXPECT_EQ(body_error("gate b a { barrier a; } b q[0];"), "no error");
    EXPECT_EQ(body_error("gate b a { reset a; } b q[0];"), "Unknown gate 'reset'");
    EXPECT_EQ(body_error("opaque magic(t) a, b;\nmagic(1) q[0], q[1];"),
              "Parse error at line 6: gate 'magic' is opaque and cannot be applied");
    // A broken definition fails even if it is never used; a never-used recursive one does not.
    EXPECT_EQ(body_error("gate g)( a { }"), "Parse error at line 5: missing closing ')'");
    EXPECT_EQ(body_error("gate loop a { loop a; } h q[0];"), "no error");
}

TEST(ParseQasm, RecursiveDefinitionsAreRefused) {
    EXPECT_EQ(body_error("gate g a { g a; }\ng q[0];"),
              "Parse error at line 6: gate 'g' is defined in terms of itself");
    EXPECT_EQ(body_error("gate f a { h a; g a; }\ngate g a { x a; f a; }\n\nf q[0];"),
              "Parse error at line 8: gate 'f' is defined in terms of itself");
    // The same definition may be used many times side by side; only nesting into itself is refused.
    Circuit c = parse_ok(HEAD + "gate g a { h a; } gate two a { g a; g a; } two q[0]; two q[1];");
    EXPECT_EQ(c.gate_count(), 4u);
    // After a refused expansion nothing stays marked: a following parse of the same text is unchanged.
    EXPECT_EQ(body_error("gate g a { g a; }\ng q[0];"),
              "Parse error at line 6: gate 'g' is defined in terms of itself");
}

TEST(ParseQasm, LongDefinitionChainsDoNotUseTheCallStack) {
    const int depth = 100'000;
    std::string source = HEAD;
    for (int i = 0; i < depth; ++i)
        source += "gate g" + std::to_string(i) + " a { g" + std::to_string(i + 1) + " a; }\n";
    source += "gate g" + std::to_string(depth) + " a { x a; }\ng0 q[1];";
    Circuit c = parse_ok(source);
    EXPECT_EQ(c.instructions(), built(3, 2, [](Circuit& e) { (void)e.x(1); }));
}

TEST(ParseQasm, DefaultLimitsStopExponentialDefinitions) {
    // 2^64 gates described in a few lines, under the default limits.
    std::string doubling = HEAD + "gate d0 a { h a; h a; }\n";
    for (int i = 1; i < 64; ++i)
        doubling += "gate d" + std::to_string(i) + " a { d" + std::to_string(i - 1) + " a; d" + std::to_string(i - 1) +
                    " a; }\n";
    EXPECT_EQ(error_of(doubling + "d63 q[0];"),
              "Parse error at line 69: gate expansion produces more than 1048576 gates");
}

TEST(ParseQasm, ExpansionLimitsAreSharedByTheWholeProgram) {
    qasm::ParseLimits limits{.expanded_gates = 10, .expanded_text = 100};
    auto error = [&](const std::string& body) {
        auto c = qasm::parse_qasm(HEAD + body, limits);
        return c ? "no error" : c.error().message();
    };
    const std::string four = "gate four a { h a; h a; h a; h a; }\n";  // line 5
    EXPECT_EQ(error(four + "four q[0]; four q[1];"), "no error");
    EXPECT_EQ(error(four + "four q[0]; four q[1];\nfour q[2];"),
              "Parse error at line 7: gate expansion produces more than 10 gates");
    // Built-in gates at top level do not count.
    EXPECT_EQ(error(four + "four q[0]; ccx q[0], q[1], q[2]; four q[1];"), "no error");
    // Calls that produce nothing still cost the text they read.
    const std::string idle = "gate idle a { id a; id a; id a; id a; id a; }\n";  // 25 characters a call
    EXPECT_EQ(error(idle + "idle q[0]; idle q[0]; idle q[0]; idle q[0];"), "no error");
    EXPECT_EQ(error(idle + "idle q[0]; idle q[0]; idle q[0]; idle q[0];\nidle q[0];"),
              "Parse error at line 7: gate expansion reads more than 100 characters of gate bodies");
    std::string empty = "gate e0 a { id a; }\n";
    for (int i = 1; i < 64; ++i)
        empty += "gate e" + std::to_string(i) + " a { e" + std::to_string(i - 1) + " a; e" + std::to_string(i - 1) +
                 " a; }\n";
    EXPECT_EQ(error(empty + "e63 q[0];"),
              "Parse error at line 69: gate expansion reads more than 100 characters of gate bodies");
}

TEST(ParseQasm, ConditionalBitReferencesAreBounded) {
    qasm::ParseLimits limits{.condition_bits = 12};
    auto error = [&](const std::string& body) {
        auto c = qasm::parse_qasm("OPENQASM 2.0;\nqreg q[3];\ncreg c[3];\n" + body, limits);
        return c ? "no error" : c.error().message();
    };
    EXPECT_EQ(error("if(c==1) x q[0]; if(c==1) swap q[0], q[1]; if(c==1) id q[0];"), "no error");
    EXPECT_EQ(error("if(c==1) x q[0]; if(c==1) swap q[0], q[1]; if(c==1) cz q[0], q[1]; if(c==1) x q[0];\n"
                    "if(c==1) x q[0];"),
              "Parse error at line 5: conditionals reference more than 12 classical bits in total");
    EXPECT_EQ(error("\nif(c==1) ccx q[0], q[1], q[2];"),
              "Parse error at line 5: conditionals reference more than 12 classical bits in total");
}

TEST(ParseQasm, TheWholeLanguage) {
    // Blanks of every kind separate tokens, also between a gate's name and its parameters.
    Circuit c = parse_ok(HEAD +
                         "gate cu1fixed (a1) c, t { u1 (a1/2) c; cx c, t; }\n"
                         "measure\tq[0] ->\tc[0];\ncu1fixed (3*pi/8) q[0], q[1];\n"
                         "gate g(pivot, theta_1) a { rx(pivot^2 + sin(theta_1)) a; }\ng(2, 0) q[2];\n");
    EXPECT_EQ(gate_at(c, 1).gate, gates::rz(3 * 3.141592653589793 / 8 / 2));
    EXPECT_EQ(gate_at(c, 3).gate, gates::rx(4.0));
    // Broadcast over registers, a bit against a register, measure, reset and barrier over registers.
    c = parse_ok(HEAD + "qreg r[3];\nh q;\ncx q[0], r;\nswap q, r;\nmeasure q[1] -> c[1];\nreset q;\nbarrier r, q[1];");
    EXPECT_EQ(c.gate_count(), 9u);
    EXPECT_EQ(gate_at(c, 3).targets, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(gate_at(c, 6).targets, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(c.instructions()[10], Instruction(ResetOp{0}));
    EXPECT_EQ(c.instructions().back(), Instruction(BarrierOp{{3, 4, 5, 1}}));
    // if() guards gates, measurements and resets, over the whole register.
    c = parse_ok(HEAD + "if (c == 2) measure q[0] -> c[1];\nif(c==1) reset q[2];\nif(c==3) x q;");
    EXPECT_EQ(c.instructions()[0], Instruction(MeasureOp{0, 1, Condition{{0, 1}, 2}}));
    EXPECT_EQ(c.instructions()[1], Instruction(ResetOp{2, Condition{{0, 1}, 1}}));
    EXPECT_EQ(c.gate_count(), 3u);
    EXPECT_EQ(error_of("\xEF\xBB\xBFOPENQASM\t2.0 ;\r\nqreg q[1];"), "no error");
    // Opaque gates are declared freely and refused by name when used.
    EXPECT_EQ(body_error("opaque o(t) a;"), "no error");
}

TEST(ParseQasm, EveryQelib1GateReadsAsTheTableSays) {
    Circuit c = parse_ok(
        "OPENQASM 2.0;\ninclude \"qelib1.inc\";\nqreg q[5];\n"
        "u1(0.5) q[0]; p(0.5) q[0]; u(1,2,3) q[0]; U(1,2,3) q[0]; u2(1,2) q[0]; u0(1) q[0]; id q[0];\n"
        "sx q[0]; sxdg q[0]; cp(0.5) q[0], q[1]; cu1(0.5) q[0], q[1]; ch q[0], q[1]; csx q[0], q[1];\n"
        "crx(0.5) q[0], q[1]; cry(0.5) q[0], q[1]; crz(0.5) q[0], q[1]; cu3(1,2,3) q[0], q[1];\n"
        "cu(1,2,3,4) q[0], q[1]; rxx(0.5) q[0], q[1]; ryy(0.5) q[0], q[1]; rzx(0.5) q[0], q[1];\n"
        "CX q[0], q[1];\n");
    using K = GateKind;
    std::vector<K> kinds;
    for (const Instruction& op : c.instructions()) kinds.push_back(std::get<GateOp>(op).gate.kind);
    EXPECT_EQ(kinds, (std::vector<K>{K::Rz,  K::Rz,  K::U3,  K::U3,  K::U3,  K::SX, K::SXdg, K::CP,  K::CP,  K::CH,
                                     K::CSX, K::CRx, K::CRy, K::CRz, K::CU3, K::CU, K::Rxx,  K::Ryy, K::Rzx, K::CNOT}));
    EXPECT_EQ(gate_at(c, 15).gate.name, "CU(1.000,2.000,3.000,4.000)");
    // The wider gates expand as qelib1.inc defines them; ccx is the builder's Toffoli.
    Circuit toffoli = Circuit::create(5).value();
    (void)toffoli.toffoli(0, 1, 2);
    EXPECT_EQ(parse_ok("OPENQASM 2.0;\nqreg q[5];\nccx q[0], q[1], q[2];").instructions(), toffoli.instructions());
    for (const char* wide :
         {"cswap q[0], q[1], q[2]", "rccx q[0], q[1], q[2]", "rc3x q[0], q[1], q[2], q[3]",
          "c3x q[0], q[1], q[2], q[3]", "c3sqrtx q[0], q[1], q[2], q[3]", "c4x q[0], q[1], q[2], q[3], q[4]"})
        EXPECT_GT(parse_ok(std::string("OPENQASM 2.0;\nqreg q[5];\n") + wide + ";").gate_count(), 3u) << wide;
}
