// The options that say where a position goes besides the photo itself (tag and set), or, for
// photos, where it is read first, as the window reads it with the same Setup choices.
#pragma once

#include <CLI/CLI.hpp>

#include "photo/Sidecar.h"

namespace geotal::cli {

// --sidecar-only and --sidecar-name name|ext, read into options as CLI11 parses; both need
// the option needs when one is given.
void AddSidecarFlags(CLI::App& app, SidecarOptions& options, CLI::Option* needs = nullptr);

// The same two options, worded for a command that only reads.
void AddSidecarReadingFlags(CLI::App& app, SidecarOptions& options);

}  // namespace geotal::cli
