// The options of tag and set that say where a position goes besides the photo itself.
#pragma once

#include <CLI/CLI.hpp>

#include "photo/Sidecar.h"

namespace geotal::cli {

// --sidecar-only and --sidecar-name name|ext, read into options as CLI11 parses; both need
// the option needs when one is given.
void AddSidecarFlags(CLI::App& app, SidecarOptions& options, CLI::Option* needs = nullptr);

}  // namespace geotal::cli
