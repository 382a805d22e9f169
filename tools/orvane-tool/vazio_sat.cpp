#include "Comandos.h"

namespace orvtool {
void registrarComandosSat(CLI::App&) {}
} // namespace orvtool
