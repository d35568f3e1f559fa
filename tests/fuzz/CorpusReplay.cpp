// Replays the fuzz corpus (and any crash files kept as regressions) through
// the targets, so builds without libFuzzer check them too.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Target = void (*)(const std::uint8_t*, std::size_t);

struct Corpus {
    const char* folder;
    Target target;
    friend void PrintTo(const Corpus& c, std::ostream* os) { *os << c.folder; }
};

class CorpusReplay : public ::testing::TestWithParam<Corpus> {};

TEST_P(CorpusReplay, EveryInputKeepsTheInvariants) {
    const std::filesystem::path dir = std::filesystem::path(QM_FUZZ_CORPUS) / GetParam().folder;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        GetParam().target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         ::testing::Values(Corpus{"datagram", qmfuzz::FuzzDatagram},
                                           Corpus{"listrow", qmfuzz::FuzzListRow},
                                           Corpus{"regfile", qmfuzz::FuzzRegFile},
                                           Corpus{"viewer", qmfuzz::FuzzViewer},
                                           Corpus{"tcpframing", qmfuzz::FuzzTcpFraming}),
                         [](const auto& info) { return std::string(info.param.folder); });

} // namespace
