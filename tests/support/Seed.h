// The seed of a test's random input: QM_TEST_SEED when set, otherwise a new
// one; printed either way, so that a failure replays with the same bytes.
#pragma once

#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

namespace qmtest {

inline unsigned TestSeed() {
    const char* set = std::getenv("QM_TEST_SEED");
    const unsigned seed = set && *set ? static_cast<unsigned>(std::strtoul(set, nullptr, 10)) : std::random_device{}();
    std::cout << "QM_TEST_SEED=" << seed << std::endl;
    return seed;
}

} // namespace qmtest
