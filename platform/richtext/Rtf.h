// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/richtext/RichText.h"

namespace platform {

// RTF 1.x in the Windows-1252 code page: a font and a colour table, then one
// \par per paragraph. Characters outside ASCII go as \uN with a one-byte
// fallback. Control characters other than tab are left out.
std::string writeRtf(const RichDocument& doc);

// Writes RTF in pieces, for a log too long to hold as one document: every
// line in the default format, as the log window adds it. begin(), the lines
// and end() put together are what writeRtf gives for a document of those
// lines.
class RtfLineWriter {
  public:
    static std::string begin();
    std::string line(std::string_view text);
    static std::string end();

  private:
    bool m_first = true;
};

// Reads any input without failing: what is not understood is skipped, a
// truncated file yields what came before the cut. \line, \sect and \row start
// a new line like \par, since lines are the document's paragraphs.
RichDocument readRtf(std::string_view rtf);

// Reads a file that is not RTF: lines end with CR LF, LF or CR; UTF-8 when
// the bytes are valid UTF-8, Windows-1252 otherwise.
RichDocument readPlainText(std::string_view text);

// True when the bytes start like an RTF file ("{\rtf", after an optional
// UTF-8 byte order mark and white space).
bool looksLikeRtf(std::string_view bytes);

// Replaces the file atomically: a temporary file beside it, flushed to disk,
// renamed over the target. On failure the old file stays as it was and
// platform::Exception names the path and the reason.
void saveRtfFile(const std::filesystem::path& path, const RichDocument& doc);

// Opens an RTF file; a file that is not RTF opens as plain text, the way a
// word processor shows it. Throws platform::Exception naming the path and the
// reason when the file cannot be read or is larger than maxRtfFileSize.
RichDocument loadRtfFile(const std::filesystem::path& path);

// The Unicode character of a Windows-1252 byte; the five bytes that code
// page leaves undefined map to U+FFFD.
char32_t windows1252ToUnicode(unsigned char byte);

inline constexpr std::size_t maxRtfFileSize = std::size_t{256} << 20;

}  // namespace platform
