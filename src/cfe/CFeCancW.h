#pragma once
// Writer of the cancellation document: the request handed to the SAT device with the key of the
// sale to cancel (entry document, one line with the system's settings), or the complete
// cancellation CF-e.

#include "cfe/CFeCanc.h"
#include "cfe/CFeW.h"
#include "cfe/Gerador.h"

namespace orv {

class TCFeCancW : public escritor::TEscritor {
public:
    explicit TCFeCancW(TCFeCanc& AOwner) : CFeCanc(AOwner) {}

    TCFeCanc& CFeCanc;

    // Renders into Gerador.ArquivoFormatoXML, which begins with the UTF-8 declaration; true when
    // no alert was recorded.
    bool GerarXml(bool ApenasTagsAplicacao);

private:
    void gerarIde();
    void gerarEmit();
    void gerarDest();
    void gerarTotal();
    void gerarInfAdic();
};

} // namespace orv
