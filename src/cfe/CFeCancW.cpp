#include "cfe/CFeCancW.h"

#include "support/Texto.h"

#include <cmath>
#include <cstdio>

namespace orv {

using namespace escritor;

bool TCFeCancW::GerarXml(bool apenasTagsAplicacao) {
    iniciar(apenasTagsAplicacao, DECLARACAO_UTF8);
    TGerador& g = Gerador;
    const canc::TInfCFe& inf = CFeCanc.infCFe;
    if (g.Opcoes.IdentarXML) g.ArquivoFormatoXML += "\r\n";

    g.wGrupo("CFeCanc");
    if (completo())
        g.wGrupo("infCFe versao=\"" + formatarDecimal(inf.versao, 2) + "\"  Id=\"" + escaparXML(inf.ID) +
                     "\"  chCanc=\"" + escaparXML(inf.chCanc) + "\"",
                 "A01");
    else
        g.wGrupo("infCFe chCanc=\"" + escaparXML(inf.chCanc) + "\"", "A01");
    if (completo()) {
        g.wCampo(tcDatCFe, "A07", "dEmi", 10, 10, 0, inf.dEmi());
        g.wCampo(tcHorCFe, "A08", "hEmi", 8, 8, 0, inf.hEmi());
    }
    gerarIde();
    gerarEmit();
    gerarDest();
    gerarTotal();
    gerarInfAdic();
    g.wGrupo("/infCFe");
    if (deveGerarAssinatura(Opcoes.GerarTagAssinatura, CFeCanc.signature))
        escreverAssinatura(g, CFeCanc.signature, inf.ID);
    g.wGrupo("/CFeCanc");
    return g.ListaDeAlertas.empty();
}

void TCFeCancW::gerarIde() {
    TGerador& g = Gerador;
    const canc::Tide& ide = CFeCanc.ide;
    const int F = completo() ? 1 : -1;  // complete document only: required, else skipped
    g.wGrupo("ide", "B01");
    g.wCampo(tcInt, "B02", "cUF", 2, 2, F, ide.cUF);
    if (completo() && !ufIbgeValida(ide.cUF)) g.wAlerta("B02", "cUF", "", ERR_MSG_INVALIDO);
    char cnf[24];
    std::snprintf(cnf, sizeof cnf, "%06d", ide.cNF);
    g.wCampo(tcStr, "B03", "cNF", 6, 6, F, cnf);
    g.wCampo(tcInt, "B04", "mod", 2, 2, F, ide.modelo);
    g.wCampo(tcInt, "B05", "nserieSAT", 9, 9, F, ide.nserieSAT);
    g.wCampo(tcInt, "B06", "nCFe", 6, 6, F, ide.nCFe);
    g.wCampo(tcDatCFe, "B07", "dEmi", 10, 10, F, ide.dEmi());
    g.wCampo(tcHorCFe, "B08", "hEmi", 8, 8, completo() ? 0 : -1, ide.hEmi());
    g.wCampo(tcInt, "B09", "cDV", 1, 1, F, ide.cDV);
    g.wCampoCNPJCPF("B10", "B10", ide.CNPJ, true, true);
    g.wCampo(tcStr, "B11", "signAC", 344, 344, 1, ide.signAC);
    g.wCampo(tcStr, "B12", "assinaturaQRCODE", 441, 441, F, ide.assinaturaQRCODE);
    g.wCampo(tcInt, "B13", "numeroCaixa", 3, 3, 1, ide.numeroCaixa);
    g.wGrupo("/ide");
}

void TCFeCancW::gerarEmit() {
    TGerador& g = Gerador;
    g.wGrupo("emit", "C01");
    if (completo()) {
        const canc::TEmit& e = CFeCanc.Emit;
        const TenderEmit& a = e.EnderEmit;
        g.wCampoCNPJCPF("C02", "C02a", e.CNPJ, true, true);
        g.wCampo(tcStr, "C03", "xNome", 1, 60, 1, e.xNome);
        g.wCampo(tcStr, "C04", "xFant", 1, 60, 0, e.xFant);
        g.wGrupo("enderEmit", "C05");
        g.wCampo(tcStr, "C06", "xLgr", 2, 60, 1, a.xLgr);
        g.wCampo(tcStr, "C07", "nro", 1, 60, 1, ajustarNro(a.nro, Opcoes.AjustarTagNro));
        g.wCampo(tcStr, "C08", "xCpl", 1, 60, 0, a.xCpl);
        g.wCampo(tcStr, "C09", "xBairro", 2, 60, 1, a.xBairro);
        g.wCampo(tcStr, "C10", "xMun", 2, 60, 1, a.xMun);
        g.wCampo(tcInt, "C11", "CEP", 8, 8, 1, a.CEP);
        g.wGrupo("/enderEmit");
        g.wCampo(tcStrOrig, "C12", "IE", 2, 14, 1, ieParaEscrita(e.IE));
        g.wCampo(tcStr, "C13", "IM", 1, 15, 0, e.IM);
    }
    g.wGrupo("/emit");
}

void TCFeCancW::gerarDest() {
    Gerador.wGrupo("dest", "E01");
    // Requests for coupons of layout 0.07 or later carry no buyer.
    const bool anterior007 = std::lround(CFeCanc.infCFe.versao * 100) < 7;
    if (completo() || anterior007)
        Gerador.wCampoCNPJCPF("E02", "E03", CFeCanc.Dest.CNPJCPF, false, true);
    Gerador.wGrupo("/dest");
}

void TCFeCancW::gerarTotal() {
    Gerador.wGrupo("total", "W01");
    Gerador.wCampo(tcDe2, "W11", "vCFe", 1, 15, completo() ? 1 : -1, CFeCanc.Total.vCFe);
    Gerador.wGrupo("/total");
}

void TCFeCancW::gerarInfAdic() {
    const TobsFiscoCollection& obs = CFeCanc.InfAdic.obsFisco;
    if (obs.Count() == 0) return;
    Gerador.wGrupo("infAdic", "Z01");
    alertarOcorrencias(Gerador, "Z04", "obsFisco", obs.Count(), 10);
    if (completo())
        for (const auto& o : obs) escreverObsFisco(Gerador, o, "Z04", "Z05");
    Gerador.wGrupo("/infAdic");
}

namespace canc {

// The writer's text limited to what the ANSI code page holds. It declares UTF-8, so it stays
// UTF-8: with folding on (the system's setting) it is ASCII and both encodings agree, and with
// folding off accented letters are not stored as bytes that contradict the declaration.
std::string TCFeCanc::GerarXML(bool ApenasTagsAplicacao) {
    TCFeCancW w(*this);
    aplicarOpcoes(w.Gerador.Opcoes);
    w.GerarXml(ApenasTagsAplicacao);
    std::string& texto = w.Gerador.ArquivoFormatoXML;
    const bool ascii = ehAscii(texto);
    fXMLOriginal = ascii ? std::move(texto) : ansiParaUtf8(utf8ParaAnsi(texto));
    return fXMLOriginal;
}

} // namespace canc

} // namespace orv
