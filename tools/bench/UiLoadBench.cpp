// The real main window, offscreen, fed real datagrams over 127.0.0.1 from a
// sender thread: the longest event-loop stall (a 5 ms probe timer) and the
// paints per second of the Process table, with AutoSizeGrid off and on, and
// every message logged (WriteToLog and WriteToLogUnknownID on).
#include "support/ScriptedDialogs.h"
#include "settings/SettingsStore.h"
#include "platform/SqliteKeyStore.h"
#include "support/TempDir.h"
#include "app/unitUdp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace qm;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void Send(int port, int rate, int seconds, std::atomic<bool>& stop, long& sent) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto start = std::chrono::steady_clock::now();
    const long total = static_cast<long>(rate) * seconds;
    std::string msg;
    while (sent < total && !stop) {
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long due = std::min(total, static_cast<long>(t * rate) + 1);
        for (; sent < due; ++sent) {
            msg = "<13>Dec  7 21:12:19 host app: message number " + std::to_string(sent) + " token5 ";
            msg.resize(150, '.');
            sendto(fd, msg.data(), msg.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    close(fd);
}

void Run(int rate, bool autoSize, int seconds) {
    qmtest::TempDir dir;
    SqliteKeyStore store(dir / "registry.sqlite");
    store.WriteDword(kGeneralKey, "Port", 0);
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kGeneralKey, "AutoSizeGrid", autoSize ? "1" : "0");
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    for (int i = 1; i <= 20; ++i)
        store.WriteText(kTokenKey, "token" + std::to_string(i), "Yes,65280,No");
    SystemClock clock;
    qmtest::ScriptedDialogs dialogs;
    TfrmUDP window(MainWindowServices{.store = store, .clock = clock, .dialogs = dialogs, .programDir = dir.Path().string()});
    window.show();
    PaintCounter counter;
    window.findChild<QTableView*>("grdProcess")->viewport()->installEventFilter(&counter);

    QElapsedTimer clockProbe;
    clockProbe.start();
    qint64 last = 0, longest = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clockProbe.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    probe.start();

    std::atomic<bool> stop{false};
    long sent = 0;
    std::thread sender(Send, window.ListeningPort(), rate, seconds, std::ref(stop), std::ref(sent));
    QElapsedTimer run;
    run.start();
    last = clockProbe.elapsed();
    while (run.elapsed() < seconds * 1000 + 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    stop = true;
    sender.join();
    std::printf("%8d %10s %9ld %9llu %12lld %10.1f\n", rate, autoSize ? "on" : "off", sent,
                static_cast<unsigned long long>(window.ReceptionState().Counts().logged),
                static_cast<long long>(longest),
                counter.paints / (run.elapsed() / 1000.0));
    std::fflush(stdout);
    window.Shutdown();
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int seconds = std::getenv("UI_BENCH_SECONDS") ? std::atoi(std::getenv("UI_BENCH_SECONDS")) : 5;
    std::printf("%8s %10s %9s %9s %12s %10s\n", "rate", "AutoSize", "sent", "logged", "stall_ms", "paints/s");
    for (bool autoSize : {false, true})
        for (int rate : {5000, 20000, 50000, 100000, 200000})
            Run(rate, autoSize, seconds);
    return 0;
}
