// orvane-tool: the support technicians' workbench. Reads and writes the fiscal documents and
// drives a SAT device without the point-of-sale system.

#include "Comandos.h"

#include <exception>
#include <iostream>

namespace orvtool {
int codigoSaida = 0;
}

int main(int argc, char** argv) {
    CLI::App app{"orvane-tool: documentos CF-e e comandos do SAT para técnicos de suporte"};
    app.require_subcommand(1);
    // Bad usage is reported like any other bad input: one line on stderr.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("orvane-tool: ") + e.what() + " (--help para ajuda)\n";
    });
    orvtool::registrarComandosCfe(app);
    orvtool::registrarComandosSat(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "orvane-tool: " << e.what() << '\n';
        return 1;
    }
    return orvtool::codigoSaida;
}
