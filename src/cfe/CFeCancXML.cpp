// The cancellation document's stored XML: given back as it is, or rendered when there is none
// yet, and written to a file.

#include "cfe/ArquivoXML.h"
#include "cfe/CFeCanc.h"

namespace orv::canc {

std::string TCFeCanc::GetAsXMLString() {
    if (!fXMLOriginal.empty()) return fXMLOriginal;
    return GerarXML(false);
}

bool TCFeCanc::SaveToFile(const std::string& AFileName) {
    gravarArquivoXML(AFileName, GetAsXMLString());
    NomeArquivo = AFileName;
    return true;
}

} // namespace orv::canc
