#include "platform/qt/DisplayText.h"

#include <QStringDecoder>

#include <algorithm>

namespace qm {

namespace {

#ifdef _WIN32

// Text that is not UTF-8: the ANSI code page, as the system reads it.
QString FromLegacyBytes(std::string_view bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

#else

// Windows-1252 from 0x80 to 0x9F; every other byte is its Latin-1 character.
// The five bytes Windows leaves undefined keep their C1 code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Text that is not UTF-8: Windows-1252, what such senders mostly send.
QString FromLegacyBytes(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

#endif

// UTF-8 wherever the bytes are valid UTF-8, on every system: senders on
// other systems write it. Anything else is the legacy 8-bit text.
QString DecodedText(std::string_view bytes) {
    bool ascii = true;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    return FromLegacyBytes(bytes);
}

} // namespace

QString DisplayText(std::string_view bytes) {
    QString text = DecodedText(bytes);
    // Control bytes are bytes of the text like any other, shown as their
    // pictures (NUL as U+2400): a NUL would end the text where it is drawn,
    // and the others would draw as nothing or as boxes. Tabs and line breaks
    // keep their meaning.
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F)
            c = QChar(u == 0x7F ? char16_t(0x2421) : char16_t(0x2400 + u));
    }
    return text;
}

std::string StoredText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString BoundedText(const QString& text, qsizetype max) {
    if (text.size() <= max) return text;
    const qsizetype tail = std::min<qsizetype>(40, max / 4);
    qsizetype head = max - tail - 1;
    if (head > 0 && text[head - 1].isHighSurrogate()) --head;
    qsizetype from = text.size() - tail;
    if (text[from].isLowSurrogate()) ++from;
    return text.left(head) + QChar(0x2026) + text.mid(from);
}

} // namespace qm
