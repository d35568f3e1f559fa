// The .exe's icon resource is the icon the window draws; its version
// resource (Explorer's Properties, Details) is the project's version.
#include "app/AppImages.h"
#include "support/Process.h"

#include <QImage>
#include <QString>
#include <QImageReader>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(ProgramIcon, TheExecutableCarriesTheProjectsVersion) {
    const std::wstring exe = QString::fromStdString(qmtest::BinPath("Ferrowick")).toStdWString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    const auto text = [&](const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return std::string("(none)");
        return QString::fromWCharArray(static_cast<const wchar_t*>(value)).toStdString();
    };
    EXPECT_EQ(text(L"FileVersion"), QM_VERSION);
    EXPECT_EQ(text(L"ProductVersion"), QM_VERSION);
    EXPECT_EQ(text(L"ProductName"), "Quillmere Light");
    EXPECT_EQ(text(L"CompanyName"), "tovrel");
    EXPECT_EQ(text(L"OriginalFilename"), "Ferrowick.exe");
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &length));
    const auto* version = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    const std::string numbers = std::to_string(HIWORD(version->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(version->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(version->dwFileVersionLS));
    EXPECT_EQ(numbers, QM_VERSION);
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
