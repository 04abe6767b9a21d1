#include "quantum/qasm/statements.h"

#include <gtest/gtest.h>

using namespace qelix;
using namespace qelix::qasm;

namespace {

/// "text@line" for every statement, or the error message.
std::vector<std::string> split(std::string_view source) {
    auto list = split_statements(source);
    if (!list) return {list.error().message()};
    std::vector<std::string> out;
    for (const Statement& s : list->items()) out.push_back(std::string(s.text) + "@" + std::to_string(s.line));
    return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(Statements, SplitsAtSemicolonsAndTracksFirstNonBlankLine) {
    EXPECT_EQ(split("a;b;"), (Lines{"a@1", "b@1"}));
    EXPECT_EQ(split("a;\n\n   b\n  c;"), (Lines{"a@1", "b   c@3"}));
    EXPECT_EQ(split(";;  ;\n;"), Lines{});
    EXPECT_EQ(split(""), Lines{});
    EXPECT_EQ(split("\t x\t;"), Lines{"x@1"});
}

TEST(Statements, LineBreakReadsAsOneBlank) {
    EXPECT_EQ(split("measure\nq[0]\n->\nc[0];"), Lines{"measure q[0] -> c[0]@1"});
    // No second blank after one that is already there.
    EXPECT_EQ(split("a \nb;"), Lines{"a b@1"});
}

TEST(Statements, CommentsAndCarriageReturns) {
    EXPECT_EQ(split("a; // b;\nc; //"), (Lines{"a@1", "c@2"}));
    EXPECT_EQ(split("a;\r\nb;\r\n"), (Lines{"a@1", "b@2"}));
    EXPECT_EQ(split("// only a comment"), Lines{});
    // A carriage return that ends no line is an ordinary character.
    EXPECT_EQ(split("a\rb;"), Lines{"a\rb@1"});
    // The comment marker cuts even inside braces; its line break still counts.
    EXPECT_EQ(split("gate g a { // x;\nh a; }"), Lines{"gate g a { h a; }@1"});
}

TEST(Statements, BracesKeepSemicolonsAndCloseStatements) {
    EXPECT_EQ(split("gate g a { h a; x a; } h q;"), (Lines{"gate g a { h a; x a; }@1", "h q@1"}));
    EXPECT_EQ(split("g { { a; } b; } c;"), (Lines{"g { { a; } b; }@1", "c@1"}));
    // A '}' at depth 0 also ends a statement.
    EXPECT_EQ(split("x } y;"), (Lines{"x }@1", "y@1"}));
}

TEST(Statements, UnterminatedTextReportsItsFirstLine) {
    EXPECT_EQ(split("a;\n\n  b"), Lines{"Parse error at line 3: missing semicolon or closing '}'"});
    EXPECT_EQ(split("a;\ngate g a {\n h a;\n"), Lines{"Parse error at line 2: missing semicolon or closing '}'"});
    EXPECT_EQ(split("a;\n  \t\n"), Lines{"a@1"});
}

TEST(Statements, ViewsSurviveMovingTheList) {
    auto list = split_statements("h q;");
    StatementList moved = std::move(*list);
    EXPECT_EQ(moved.items().at(0).text, "h q");
}
