// Opt-in (label "load"): a burst of traffic to the real program.
#include "support/Process.h"
#include "settings/SettingsStore.h"
#include "platform/SqliteKeyStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

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
    const int pid = qmtest::StartProcess({qmtest::BinPath("Ferrowick")}, ProgramEnv(dir.Path()));
    // The day's files appear once the start-up sequence has run.
    for (int i = 0; i < 500 && !(fs::exists(dir / "Log") && !fs::is_empty(dir / "Log")); ++i)
        usleep(10000);
    usleep(300000);
    // 20,000 in one second: a burst as fast as the pacing allows.
    auto sent = qmtest::RunProcess(
        {qmtest::BinPath("udp-blast"), "127.0.0.1", port.substr(0, port.find('\n')), "20000", "1", "150"});
    ASSERT_EQ(sent.exitCode, 0);
    std::size_t lines = 0, last = ~std::size_t{0};
    for (int i = 0; i < 40 && lines != last; ++i) {
        usleep(250000);
        last = lines;
        lines = 0;
        for (const auto& e : fs::directory_iterator(dir / "Log")) {
            const std::string text = qmtest::ReadFile(e.path());
            lines += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        }
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(qmtest::WaitProcess(pid, 10000), 0);
    std::printf("[ load ] %zu of 20000 datagrams logged (%.2f%%)\n", lines, lines / 200.0);
    EXPECT_GE(lines, 19800u);
}

} // namespace
