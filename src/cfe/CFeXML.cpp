// The sale document's stored XML: given back as it is, or rendered when there is none yet, and
// written to a file.

#include "cfe/ArquivoXML.h"
#include "cfe/CFe.h"

namespace orv {

std::string TCFe::GetAsXMLString() {
    if (!fXMLOriginal.empty()) return fXMLOriginal;
    return GerarXML(false);
}

bool TCFe::SaveToFile(const std::string& AFileName) {
    gravarArquivoXML(AFileName, GetAsXMLString());
    NomeArquivo = AFileName;
    return true;
}

} // namespace orv
