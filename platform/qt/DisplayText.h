// The one place where bytes become what the operator reads, and back.
// Datagrams, list texts, log lines and stored settings are bytes in the
// system's code page and are never re-encoded by the core.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace qm {

// UTF-8 where the bytes are valid UTF-8, on every system; otherwise the ANSI
// code page on Windows and Windows-1252 elsewhere, so neither a Linux
// sender's "Zoë" nor a Latin-1 sender's "café" (63 61 66 E9) ever shows
// garbled. Control bytes other than tab and line breaks show as their
// pictures ("␀" for NUL).
QString DisplayText(std::string_view bytes);

// `text` whole when it has at most `max` characters; otherwise its beginning,
// "…" and its last few characters (the end of a sentence around a sender's
// text), `max` characters in all. Boxes and labels hold any text at this cost.
QString BoundedText(const QString& text, qsizetype max);

// What the operator typed, in the bytes the program keeps (the system's code
// page; UTF-8 outside Windows).
std::string StoredText(const QString& text);

} // namespace qm
