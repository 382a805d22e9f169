#pragma once
// Command groups of orvane-tool. Each group registers its subcommands on the application;
// a command reports bad input by throwing ErroUso (exit status 1, one line on stderr).

#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>

namespace orvtool {

struct ErroUso : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Set by a command's callback: the process exit status.
extern int codigoSaida;

void registrarComandosCfe(CLI::App& app);
void registrarComandosSat(CLI::App& app);

} // namespace orvtool
