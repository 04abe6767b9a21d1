#include "quantum/qasm/statements.h"

#include <utility>

#include "core/interrupt.h"
#include "quantum/qasm/text.h"

namespace qelix::qasm {

namespace {

/// Collects the statement being read at the end of the shared storage.
class StatementBuilder {
   public:
    StatementBuilder(std::string& storage, std::vector<Statement>& items) : storage_(storage), items_(items) {}

    void append(char c, std::size_t line) {
        if (!started() && !is_blank(c)) {
            storage_.resize(start_);  // leading blanks would be trimmed anyway
            first_line_ = line;
        }
        storage_.push_back(c);
    }

    void line_break() {
        if (storage_.size() > start_ && !is_blank(storage_.back())) storage_.push_back(' ');
    }

    void finish() {
        if (started()) {
            while (is_blank(storage_.back())) storage_.pop_back();
            ends_.push_back({start_, storage_.size() - start_, first_line_});
        } else {
            storage_.resize(start_);
        }
        start_ = storage_.size();
        first_line_ = 0;
    }

    bool started() const { return first_line_ != 0; }
    std::size_t first_line() const { return first_line_; }

    /// Turns the recorded offsets into views once the storage no longer grows.
    void publish() {
        items_.reserve(ends_.size());
        for (const Span& s : ends_) items_.push_back({std::string_view(storage_).substr(s.begin, s.size), s.line});
    }

   private:
    struct Span {
        std::size_t begin, size, line;
    };
    std::string& storage_;
    std::vector<Statement>& items_;
    std::vector<Span> ends_;
    std::size_t start_ = 0;
    std::size_t first_line_ = 0;  ///< 0 while the statement holds only blanks.
};

}  // namespace

QasmResult<StatementList> split_statements(std::string_view source) {
    StatementList list;
    std::string& storage = *list.storage_;
    storage.reserve(source.size());
    StatementBuilder builder(storage, list.items_);
    std::size_t depth = 0, line = 1, polled = 0;
    // Polled for an interrupt at each line break and semicolon, with the characters read since.
    auto stop = [&](std::size_t i) { return interrupted(static_cast<std::int64_t>(i - std::exchange(polled, i))); };
    for (std::size_t i = 0; i < source.size(); ++i) {
        char c = source[i];
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            // A comment runs to the line break, which is still read below.
            std::size_t next = source.find('\n', i);
            if (next == std::string_view::npos) break;
            i = next - 1;
            continue;
        }
        if (c == '\r' && i + 1 < source.size() && source[i + 1] == '\n') continue;
        switch (c) {
            case '\n':
                builder.line_break();
                ++line;
                if (stop(i)) return std::unexpected(QasmError::interrupted());
                break;
            case ';':
                if (stop(i)) return std::unexpected(QasmError::interrupted());
                if (depth == 0) {
                    builder.finish();
                } else {
                    builder.append(c, line);
                }
                break;
            case '{':
                builder.append(c, line);
                ++depth;
                break;
            case '}':
                builder.append(c, line);
                if (depth <= 1) {
                    builder.finish();
                    depth = 0;
                } else {
                    --depth;
                }
                break;
            default: builder.append(c, line);
        }
    }
    if (builder.started())
        return std::unexpected(QasmError::syntax(builder.first_line(), "missing semicolon or closing '}'"));
    builder.finish();
    builder.publish();
    return list;
}

}  // namespace qelix::qasm
