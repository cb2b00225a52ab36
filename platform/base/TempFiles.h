// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>

namespace platform {

// Temporary files that a run killed by SIGINT or SIGTERM must not leave
// behind. A registered path is removed by the signal handler, which then
// lets the signal end the program as it would have. The registry is a fixed
// table written without locks, so that the handler stays async-signal-safe;
// a path that does not fit is simply not registered (its owner still
// removes it on the ordinary paths).

// Registers a file; returns its slot, or -1 when the table is full.
int registerTemporary(const std::filesystem::path& path);
// Registers a folder that holds the files "1" to "files" (set later with
// setTemporaryFiles); the handler removes them and then the folder.
int registerTemporaryFolder(const std::filesystem::path& path);
void setTemporaryFiles(int slot, long files);
// The path needs no removal any more (renamed into place or removed).
void unregisterTemporary(int slot);

// Installs the SIGINT and SIGTERM handlers, once per process.
void removeTemporariesOnSignal();

}  // namespace platform
