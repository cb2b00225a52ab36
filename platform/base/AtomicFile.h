// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Replaces the file at path with data: written to a temporary file beside it,
// flushed to disk and renamed over the target, so that a failure leaves the
// old file as it was. A link is followed and the file it points to replaced;
// a device or pipe is written into. On failure throws platform::Exception
// "Cannot save "<path>": <reason>".
void replaceFile(const std::filesystem::path& path, std::string_view data);

// The same replacement for output that is written in pieces: the pieces go
// to the temporary file, and only commit() puts it in place. A writer
// destroyed without commit() removes its temporary file, so the target never
// holds half the output. The temporary file is registered with
// platform/base/TempFiles, so a run ended by SIGINT or SIGTERM removes it
// too. Errors throw as replaceFile does.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::filesystem::path& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view data);
    void commit();
    const std::filesystem::path& path() const { return m_path; }

  private:
    void flush();
    [[noreturn]] void fail(int error);
    [[noreturn]] void abandon(int error);

    std::filesystem::path m_path;    // as given, for messages
    std::filesystem::path m_target;  // the link followed
    std::filesystem::path m_temp;    // empty when writing into a device
    std::string m_buffer;
    int m_fd = -1;
    int m_slot = -1;  // in the registry of temporary files
    bool m_done = false;
};

}  // namespace platform
