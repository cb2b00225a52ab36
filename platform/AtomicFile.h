#pragma once

#include <filesystem>
#include <string_view>

namespace platform {

// Replaces the file at path with data: written to a temporary file beside it,
// flushed to disk and renamed over the target, so that a failure leaves the
// old file as it was. A link is followed and the file it points to replaced;
// a device or pipe is written into. On failure throws platform::Exception
// "Cannot save "<path>": <reason>".
void replaceFile(const std::filesystem::path& path, std::string_view data);

}  // namespace platform
