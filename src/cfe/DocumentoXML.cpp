// The documents' stored XML: given back as it is, or rendered when there is none yet; read from
// and written to a file; kept across a failed read.

#include "cfe/ArquivoXML.h"
#include "cfe/CFe.h"
#include "cfe/Gerador.h"

namespace orv {

std::string TDocumentoXML::GetAsXMLString() {
    if (!fXMLOriginal.empty()) return fXMLOriginal;
    return GerarXML(false);
}

bool TDocumentoXML::LoadFromFile(const std::string& AFileName) {
    SetXMLString(lerArquivoXML(AFileName));
    NomeArquivo = AFileName;
    return true;
}

bool TDocumentoXML::SaveToFile(const std::string& AFileName) {
    gravarArquivoXML(AFileName, GetAsXMLString());
    NomeArquivo = AFileName;
    return true;
}

void TDocumentoXML::aplicarOpcoes(TGeradorOpcoes& opcoes) const {
    opcoes.RetirarAcentos = RetirarAcentos;
    opcoes.RetirarEspacos = RetirarEspacos;
    opcoes.IdentarXML = IdentarXML;
    opcoes.TamanhoIdentacao = TamanhoIdentacao;
}

void TDocumentoXML::lerGuardando(const std::string& AValue, const std::function<void()>& ler) {
    std::string anterior = fXMLOriginal;
    std::string nome = NomeArquivo;
    try {
        ler();
    } catch (...) {
        fXMLOriginal = std::move(anterior);
        NomeArquivo = std::move(nome);
        throw;
    }
    fXMLOriginal = AValue;
}

} // namespace orv
