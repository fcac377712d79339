// One command's arguments read with CLI11: help, usage errors and number options alike for all.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace geotal::cli {

// Prepares the parser of one command: the command's synopsis as the usage line, details after
// the option list, and repeated options allowed with the last one counting. helpFlags is
// "-h,--help", or "--help" alone where a word such as "-h" must stay an argument.
void SetUpCommandLine(CLI::App& app, const Command& command, const std::string& details,
                      const std::string& helpFlags = "-h,--help");

// Reads args into the options. Nothing when the command should go on; otherwise the exit
// status, after the help went to standard output (0) or the reason to standard error
// (kUsageError).
std::optional<int> ParseCommandLine(CLI::App& app, const Command& command,
                                    const std::vector<std::string>& args);

// An option taking a whole number from min to max; value stays empty when it is not given.
CLI::Option* AddWholeNumberOption(CLI::App& app, const std::string& name, std::optional<int>& value,
                                  int min, int max, const std::string& typeName,
                                  const std::string& description);

// An option taking a finite decimal number.
CLI::Option* AddDecimalOption(CLI::App& app, const std::string& name, double& value,
                              const std::string& typeName, const std::string& description);

}  // namespace geotal::cli
