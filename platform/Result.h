// The outcome of anything that can fail for a reason the operator must read:
// ok, or the reason. Failures travel as values to the one place that shows them.
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

} // namespace qm
