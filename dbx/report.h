// What a walk of a damaged file found wrong: each problem with the file offset it concerns.
// A file with every object broken would give millions; the first few hundred are kept and
// the rest only counted, so memory stays bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dbx {

struct Problem {
    std::uint64_t offset = 0;
    std::string text;  // English, for the report
};

class Report {
public:
    static constexpr std::size_t kKept = 500;
    void add(std::uint64_t offset, std::string text) {
        ++count_;
        if (kept_.size() < kKept) kept_.push_back({offset, std::move(text)});
    }
    std::size_t count() const { return count_; }
    const std::vector<Problem>& kept() const { return kept_; }
    void clear() {
        kept_.clear();
        count_ = 0;
    }

private:
    std::vector<Problem> kept_;
    std::size_t count_ = 0;
};

// "0x1a2b" for reports.
std::string Hex(std::uint64_t value);

}  // namespace dbx
