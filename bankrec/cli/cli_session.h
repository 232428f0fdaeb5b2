#pragma once
// Runs one sub-command the way the program starts: required arguments checked (exit 99),
// the data folder made current, a non-interactive message service that writes every message
// to standard error and answers with the default button (or the positive one with --yes).
#include "bankrec/cli/command.h"

int runCliCommand(CliContext& ctx, const CliHandler& handler);
