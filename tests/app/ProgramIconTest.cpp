// The .exe's icon resource is the icon the window draws.
#include "app/AppImages.h"
#include "support/Process.h"

#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
TEST(ProgramIcon, TheExecutableCarriesAnIcon) {
    const std::string exe = qmtest::BinPath("Ferrowick");
    EXPECT_GE(reinterpret_cast<INT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), exe.c_str(), UINT(-1))), 1)
        << exe;
}
#else
TEST(ProgramIcon, TheResourceFileMatchesTheDrawnIcon) {
    QImageReader reader(QStringLiteral(QM_SOURCE_DIR "/app/windows/Ferrowick.ico"));
    QImage stored;
    for (int i = 0; i < reader.imageCount() && stored.width() != 32; ++i) {
        reader.jumpToImage(i);
        stored = reader.read();
    }
    ASSERT_EQ(stored.width(), 32) << "the icon file holds no 32-pixel image";
    const QImage drawn = qm::ApplicationIcon().pixmap(32, 32).toImage().convertToFormat(stored.format());
    EXPECT_EQ(drawn, stored) << "run build/bin/ferrowick-icon app/windows/Ferrowick.ico";
}
#endif

} // namespace
