#include "cfe/CFeCancR.h"

#include "cfe/ArquivoXML.h"
#include "cfe/CFeR.h"
#include "support/Texto.h"

namespace orv {

bool TCFeCancR::LerXml() {
    TLeitor& L = Leitor;
    TCFeCanc& c = CFeCanc;
    const std::string texto = L.Arquivo;
    c.Clear();

    if (!L.rExtrai(1, "infCFe").empty()) {
        c.infCFe.ID = substituirTudo(maiusculas(L.rAtributo("Id").paraTexto()), "CFE", "");
        bool ok = false;
        const std::string versao = L.rAtributo("versao").paraTexto();
        const double v = lerDecimal(versao, &ok);
        c.infCFe.versao = ok && !trim(versao).empty() ? v : 0;
        c.infCFe.chCanc = L.rAtributo("chCanc").paraTexto();
        // In an authorised cancellation these stand before ide.
        c.infCFe.setDEmi(L.rCampo(tcDatCFe, "dEmi").paraDataHora());
        c.infCFe.setHEmi(L.rCampo(tcHorCFe, "hEmi").paraDataHora());
    }

    if (!L.rExtrai(1, "ide").empty()) {
        canc::Tide& ide = c.ide;
        ide.cUF = L.rCampo(tcInt, "cUF").paraInt();
        ide.cNF = L.rCampo(tcInt, "cNF").paraInt();
        ide.modelo = L.rCampo(tcInt, "mod").paraInt();
        ide.nserieSAT = L.rCampo(tcInt, "nserieSAT").paraInt();
        ide.nCFe = L.rCampo(tcInt, "nCFe").paraInt();
        ide.setDEmi(L.rCampo(tcDatCFe, "dEmi").paraDataHora());
        ide.setHEmi(L.rCampo(tcHorCFe, "hEmi").paraDataHora());
        ide.cDV = L.rCampo(tcInt, "cDV").paraInt();
        ide.CNPJ = L.rCampo(tcEsp, "CNPJ").paraTexto();
        ide.signAC = L.rCampo(tcStr, "signAC").paraTexto();
        ide.assinaturaQRCODE = L.rCampo(tcStr, "assinaturaQRCODE").paraTexto();
        ide.numeroCaixa = L.rCampo(tcInt, "numeroCaixa").paraInt();
    }

    if (!L.rExtrai(1, "emit").empty()) {
        canc::TEmit& e = c.Emit;
        e.CNPJ = L.rCampoCNPJCPF();
        e.xNome = L.rCampo(tcStr, "xNome").paraTexto();
        e.xFant = L.rCampo(tcStr, "xFant").paraTexto();
        e.IE = L.rCampo(tcStr, "IE").paraTexto();
        e.IM = L.rCampo(tcStr, "IM").paraTexto();
        if (!L.rExtrai(2, "enderEmit").empty()) {
            TenderEmit& a = e.EnderEmit;
            a.xLgr = L.rCampo(tcStr, "xLgr").paraTexto();
            a.nro = L.rCampo(tcStr, "nro").paraTexto();
            a.xCpl = L.rCampo(tcStr, "xCpl").paraTexto();
            a.xBairro = L.rCampo(tcStr, "xBairro").paraTexto();
            a.xMun = L.rCampo(tcStr, "xMun").paraTexto();
            a.CEP = L.rCampo(tcInt, "CEP").paraInt();
        }
    }

    if (!L.rExtrai(1, "dest").empty()) c.Dest.CNPJCPF = L.rCampoCNPJCPF();

    if (!L.rExtrai(1, "total").empty())
        c.Total.vCFe = Currency::deDouble(L.rCampo(tcDe2, "vCFe").paraDouble());

    if (!L.rExtrai(1, "infAdic").empty())
        for (int n = 1; !L.rExtrai(2, "obsFisco", "", n).empty(); ++n)
            lerObsFisco(L, c.InfAdic.obsFisco.New());

    lerAssinatura(L, texto, c.signature);
    return true;
}

namespace canc {

// The request this system writes declares UTF-8 and is UTF-8, so a text that declares UTF-8 is
// decoded as such (Windows-1252 when it is not valid UTF-8); any other text is Windows-1252.
void TCFeCanc::SetXMLString(const std::string& AValue) {
    TCFeCancR leitor(*this);
    leitor.Leitor.Arquivo = xmlParaTexto(AValue, false);
    lerGuardando(AValue, [&] { leitor.LerXml(); });
}

} // namespace canc
} // namespace orv
