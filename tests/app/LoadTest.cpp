// Opt-in (label "load"): a burst of traffic to the real program.
#include "support/Process.h"
#include "settings/SettingsStore.h"
#include "platform/SqliteKeyStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace qm;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ProgramEnv(const fs::path& dir) {
    return {{"XDG_CONFIG_HOME", (dir / "config").string()}, {"QT_QPA_PLATFORM", "offscreen"}};
}

// 20,000 datagrams as fast as one sender goes; at least 99% reach the files.
TEST(Program, BurstOf20000DatagramsIsLogged) {
    qmtest::TempDir dir;
    const auto registry = dir / "config" / "tovrel" / "registry.sqlite";
    const std::string port = qmtest::RunProcess({qmtest::BinPath("udp-blast"), "--free-port"}).output;
    {
        SqliteKeyStore store(registry);
        store.WriteText(kGeneralKey, "Port", std::string(port.substr(0, port.find('\n'))));
        store.WriteText(kGeneralKey, "AutoListen", "1");
        store.WriteText(kGeneralKey, "WriteToLog", "1");
        store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
        store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
        store.WriteText(kIdKey, "13", "Bench,Yes,,255,No,Yes");
    }
    qmtest::Running program({qmtest::BinPath("Ferrowick")}, ProgramEnv(dir.Path()));
    // The day's files appear once the start-up sequence has run.
    ASSERT_TRUE(qmtest::PollUntil([&] { return fs::exists(dir / "Log") && !fs::is_empty(dir / "Log"); }, 10000));
    // 20,000 in one second: a burst as fast as the pacing allows.
    auto sent = qmtest::RunProcess(
        {qmtest::BinPath("udp-blast"), "127.0.0.1", port.substr(0, port.find('\n')), "20000", "1", "150"});
    ASSERT_EQ(sent.exitCode, 0);
    const auto lines = [&] {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(dir / "Log")) {
            const std::string text = qmtest::ReadFile(e.path());
            n += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        }
        return n;
    };
    // Until every line is in, or the count stands still for a second.
    std::size_t last = 0, stillFor = 0;
    qmtest::PollUntil(
        [&] {
            const std::size_t now = lines();
            stillFor = now == last ? stillFor + 10 : 0;
            last = now;
            return now >= 20000 || stillFor >= 1000;
        },
        20000);
    qmtest::EndSession(program.Pid());
    EXPECT_EQ(program.Wait(10000), 0);
    std::printf("[ load ] %zu of 20000 datagrams logged (%.2f%%)\n", last, static_cast<double>(last) / 200.0);
    EXPECT_GE(last, 19800u);
}

} // namespace
