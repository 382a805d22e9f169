#include "Comandos.h"

namespace orvtool {
void registrarComandosCfe(CLI::App&) {}
} // namespace orvtool
