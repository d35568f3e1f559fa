// One copy per user: a second claim finds the first and asks it to come
// forward; an endpoint a crashed copy left is taken over.
#include "platform/qt/SingleInstance.h"
#include "support/Widgets.h"

#include <QCoreApplication>
#include <QDir>

#include <atomic>
#include <thread>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace qm;

namespace {

QString TestName(const char* what) {
    return QString("QuillmereLightTest-%1-%2").arg(QCoreApplication::applicationPid()).arg(what);
}

// A second start's claim, as another process makes it: on a thread of its
// own, while the first copy's event loop runs.
bool ClaimElsewhere(const QString& name) {
    std::atomic<int> claimed{-1};
    std::thread other([&] {
        SingleInstance second(name);
        claimed = second.Claim() ? 1 : 0;
    });
    qmtest::WaitUntil([&] { return claimed >= 0; }, 10000);
    other.join();
    return claimed == 1;
}

TEST(SingleInstance, ASecondStartBringsTheFirstForward) {
    SingleInstance first(TestName("second"));
    int forward = 0;
    QObject::connect(&first, &SingleInstance::ComeForward, [&] { ++forward; });
    ASSERT_TRUE(first.Claim());
    EXPECT_FALSE(ClaimElsewhere(TestName("second")));
    EXPECT_TRUE(qmtest::WaitUntil([&] { return forward == 1; }));
    SingleInstance other(TestName("another user"));
    EXPECT_TRUE(other.Claim()); // another name is another copy
}

#ifndef _WIN32
// A copy killed outright leaves its socket file behind, with nobody listening.
TEST(SingleInstance, AnEndpointLeftByACrashIsTakenOver) {
    const QString name = TestName("stale");
    const std::string path = (QDir::tempPath() + "/" + name).toStdString();
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd); // the file stays
    SingleInstance restarted(name);
    int forward = 0;
    QObject::connect(&restarted, &SingleInstance::ComeForward, [&] { ++forward; });
    EXPECT_TRUE(restarted.Claim());
    EXPECT_FALSE(ClaimElsewhere(name)); // the taken-over endpoint answers
    EXPECT_TRUE(qmtest::WaitUntil([&] { return forward == 1; }));
}
#endif

} // namespace
