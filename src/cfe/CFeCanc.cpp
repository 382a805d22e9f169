#include "cfe/CFeCanc.h"

namespace orv {
namespace canc {

TCFeCanc::TCFeCanc() { Clear(); }
TCFeCanc::~TCFeCanc() = default;

void TCFeCanc::Clear() {
    infCFe.Clear();
    ide.Clear();
    Emit.Clear();
    ClearSessao();
}

void TCFeCanc::ClearSessao() {
    fXMLOriginal.clear();
    NomeArquivo.clear();
    ide.ClearSessao();
    Dest = TDest{};
    Total = TTotal{};
    InfAdic.obsFisco.Clear();
    signature.Clear();
}

} // namespace canc

void CFe2CFeCanc(const TCFe& cfe, TCFeCanc& canc, const std::string& prefixoCFe) {
    canc.Clear();
    canc.infCFe.versao = cfe.infCFe.versao.paraDouble();
    canc.infCFe.chCanc = prefixoCFe + cfe.infCFe.ID;
    canc.infCFe.setMomentoEmissao(cfe.ide.momentoEmissao());
    canc.ide.CNPJ = cfe.ide.CNPJ;
    canc.ide.signAC = cfe.ide.signAC;
    canc.ide.numeroCaixa = cfe.ide.numeroCaixa;
    canc.Dest.CNPJCPF = cfe.Dest.CNPJCPF;
}

} // namespace orv
