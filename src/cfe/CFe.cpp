#include "cfe/CFe.h"

#include "cfe/Gerador.h"

namespace orv {

void Tide::Clear() {
    cUF = 0;
    modelo = 0;
    nserieSAT = 0;
    numeroCaixa = 0;
    CNPJ.clear();
    signAC.clear();
    tpAmb = TTipoAmbiente::taHomologacao;
    ClearSessao();
}

void Tide::ClearSessao() {
    cNF = 0;
    nCFe = 0;
    cDV = 0;
    fEmissao = 0;
    assinaturaQRCODE.clear();
}

TSignature::TSignature() : fGerador(std::make_unique<TGerador>()) {}
TSignature::~TSignature() = default;

void TSignature::Clear() {
    URI.clear();
    DigestValue.clear();
    SignatureValue.clear();
    X509Certificate.clear();
}

void TSignature::Assign(const TSignature& outra) {
    URI = outra.URI;
    DigestValue = outra.DigestValue;
    SignatureValue = outra.SignatureValue;
    X509Certificate = outra.X509Certificate;
}

TCFe::TCFe() { Clear(); }
TCFe::~TCFe() = default;

void TCFe::Clear() {
    infCFe.Clear();
    ide.Clear();
    Emit.Clear();
    ClearSessao();
}

void TCFe::ClearSessao() {
    fXMLOriginal.clear();
    NomeArquivo.clear();
    ide.ClearSessao();
    Dest = TDest{};
    Entrega = TEntrega{};
    Det.Clear();
    Total.Clear();
    Pagto.Clear();
    InfAdic.Clear();
    obsFisco.Clear();
    signature.Clear();
}

} // namespace orv
