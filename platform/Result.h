// The outcome of anything that can fail for a reason the operator must read:
// ok, or the reason. Failures travel as values to the one place that shows
// them; every layer's public functions that can fail give one of these two.
#pragma once

#include <string>
#include <utility>

namespace qm {

struct Result {
    bool ok = true;
    std::string error; // the operator's text when not ok

    explicit operator bool() const { return ok; }
    static Result Failed(std::string error) { return {false, std::move(error)}; }
};

// Result's one sibling, for functions that give something back: the value
// when ok, or the reason there is none.
template <typename T> struct ResultOf : Result {
    T value{};

    ResultOf() = default;
    ResultOf(T v) : value(std::move(v)) {}
    ResultOf(Result failure) : Result(std::move(failure)) {}
};

} // namespace qm
