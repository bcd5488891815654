// Command-line conventions of the project's tools, on top of CLI11: a plain
// help text (no type or range annotations, the tool's own name in the usage
// line), --version, the exit-status table in --help, and every parse error
// mapped to kExitUsage.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "common/exit_status.h"
#include "common/version.h"

namespace qmtools {

// Applies the conventions to `app`, whose name must already be the tool's
// name. Call before adding options. Option values should be given a
// type_name ("N", "FILE", ...) where the default one would say "TEXT"/"UINT".
inline void SetUpApp(CLI::App& app) {
  auto fmt = std::make_shared<CLI::Formatter>();
  fmt->column_width(30);
  app.formatter(fmt);
  app.footer(kExitStatusHelp);
  app.set_version_flag("--version", std::string(app.get_name()) + " " + kVersion);
  // Range checks still apply; only their annotation leaves the help text.
  app.option_defaults()->always_capture_default(false);
}

// A range check whose description stays out of the help text.
template <typename T>
CLI::Validator QuietRange(T min, T max) {
  return CLI::Range(min, max).description("");
}

// Parses argv. Returns -1 to go on, or the exit status to leave with: 0
// after --help/--version, kExitUsage (message on stderr) for any error.
inline int Parse(CLI::App& app, int argc, char** argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    app.exit(e);
    return kExitOk;
  } catch (const CLI::CallForAllHelp& e) {
    app.exit(e);
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    app.exit(e);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "%s: %s\n", app.get_name().c_str(), e.what());
    std::fprintf(stderr, "Run with --help for more information.\n");
    return kExitUsage;
  }
  return -1;
}

// Runs a tool's body and returns its exit status. An exception that escapes
// the body (memory exhausted, a library failure) becomes a one-line message
// "<name>: <what>" on stderr and kExitFailure, instead of ending the process
// through std::terminate.
template <typename Body>
int RunGuarded(const char* name, Body body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", name, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: unexpected failure\n", name);
  }
  return kExitFailure;
}

}  // namespace qmtools
