// Decode plus classification of a typical 150-byte message against lists of
// 50 IDs, 50 IPs and 50 tokens.
#include "reception/Classification.h"
#include "reception/SyslogDecoder.h"

#include <benchmark/benchmark.h>

using namespace qm;

namespace {

Options FiftyOfEach() {
    Options o;
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(i + 8);
        o.IdList.push_back({.IdNumber = n,
                            .Name = "Id" + n,
                            .Listen = "Yes",
                            .Token = "",
                            .Color = "255",
                            .UseToken = "No",
                            .Popup = "Yes"});
        o.IpList.push_back({.Address = "10.0.1." + n, .Name = "Host" + n, .Listen = "Yes"});
        o.TokenList.push_back({.Token = "token-" + n, .UseToken = "Yes", .Color = "65280", .Popup = "No"});
    }
    return o;
}

void BM_DecodeAndClassify(benchmark::State& state) {
    const Options options = FiftyOfEach();
    std::string datagram = "<134>Dec  7 21:12:19 edge-router-07 kernel: [UFW BLOCK] IN=eth0 OUT= "
                           "SRC=203.0.113.7 DST=198.51.100.20 LEN=60 PROTO=TCP DPT=22 token-57 SYN";
    datagram.resize(150, '.');
    SyslogMessage message;
    Classification classification;
    std::string work;
    for (auto _ : state) {
        DecodeDatagram(datagram, options.IdList, message, work);
        benchmark::DoNotOptimize(ClassifyMessage(options, message, "10.0.1.40", classification));
        benchmark::DoNotOptimize(message.TokenColour.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeAndClassify);

} // namespace
