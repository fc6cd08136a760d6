// File: run_cli.h
// Runs humitrax-cli as a user would and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace humitrax::testing {

struct CliRun {
    int exitCode = -1;
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// Runs the humitrax-cli built beside the tests with `args`, feeding `input`
/// to its standard input. `environment` entries ("LC_ALL=de_DE.UTF-8") are
/// set for that run only.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = {},
              const std::vector<std::string>& environment = {});

/// Splits text into its lines (without their line feeds).
std::vector<std::string> Lines(const std::string& text);

} // namespace humitrax::testing
