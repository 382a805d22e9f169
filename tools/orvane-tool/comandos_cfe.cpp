// orvane-tool cfe: reads, rewrites and turns into cancellation requests the sale and
// cancellation documents, with the same readers and writers the system uses.

#include "Comandos.h"

#include "cfe/ArquivoXML.h"
#include "cfe/CFe.h"
#include "cfe/CFeCanc.h"
#include "support/DataHora.h"
#include "support/Texto.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <string>

namespace orvtool {

namespace {

using Json = nlohmann::ordered_json;
using namespace orv;

enum class TipoDocumento { Venda, Cancelamento };

// The root element decides the kind: <CFe> or <CFeCanc>. Anything else is refused here, with
// the reason, instead of being read leniently into an empty model.
TipoDocumento tipoDoDocumento(const std::string& texto, const std::string& arquivo) {
    std::size_t i = 0;
    while (true) {
        i = texto.find('<', i);
        if (i == std::string::npos)
            throw ErroUso(arquivo + ": não é um documento XML (nenhum elemento encontrado)");
        if (i + 1 < texto.size() && (texto[i + 1] == '?' || texto[i + 1] == '!')) {
            ++i;
            continue;
        }
        break;
    }
    std::size_t f = i + 1;
    while (f < texto.size() && texto[f] != '>' && texto[f] != '/' &&
           static_cast<unsigned char>(texto[f]) > ' ')
        ++f;
    const std::string raiz = texto.substr(i + 1, f - i - 1);
    TipoDocumento tipo;
    if (raiz == "CFe")
        tipo = TipoDocumento::Venda;
    else if (raiz == "CFeCanc")
        tipo = TipoDocumento::Cancelamento;
    else
        throw ErroUso(arquivo + ": elemento raiz <" + cortarCaracteres(paraUtf8(raiz), 40) +
                      "> não é <CFe> nem <CFeCanc>");
    if (texto.find("</" + raiz + ">") == std::string::npos)
        throw ErroUso(arquivo + ": documento incompleto, falta </" + raiz + ">");
    if (texto.find("<infCFe") == std::string::npos)
        throw ErroUso(arquivo + ": documento sem o grupo <infCFe>");
    return tipo;
}

// Messages of the readers may quote document content; keep them on one line.
std::string umaLinha(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

struct Documento {
    TipoDocumento tipo;
    std::unique_ptr<TCFe> cfe;
    std::unique_ptr<TCFeCanc> canc;
};

Documento carregar(const std::string& arquivo) {
    std::string texto;
    try {
        texto = lerArquivoXML(arquivo);
    } catch (const std::exception& e) {
        throw ErroUso(umaLinha(e.what()));
    }
    Documento d{tipoDoDocumento(texto, arquivo), nullptr, nullptr};
    try {
        if (d.tipo == TipoDocumento::Venda) {
            d.cfe = std::make_unique<TCFe>();
            d.cfe->LoadFromFile(arquivo);
        } else {
            d.canc = std::make_unique<TCFeCanc>();
            d.canc->LoadFromFile(arquivo);
        }
    } catch (const std::exception& e) {
        throw ErroUso(arquivo + ": " + umaLinha(e.what()));
    }
    return d;
}

double num(Currency c) { return c.paraDouble(); }
std::string data(TDateTime d) { return d == 0 ? "" : formatarDataHora("yyyy-mm-dd", d); }
std::string hora(TDateTime h) { return formatarDataHora("hh:nn:ss", h); }

Json json(const TenderEmit& e) {
    return {{"xLgr", e.xLgr}, {"nro", e.nro}, {"xCpl", e.xCpl}, {"xBairro", e.xBairro},
            {"xMun", e.xMun}, {"CEP", e.CEP}};
}

Json json(const TobsFiscoCollection& l) {
    Json a = Json::array();
    for (const auto& o : l) a.push_back({{"xCampo", o.xCampo}, {"xTexto", o.xTexto}});
    return a;
}

Json json(const TSignature& s) {
    return {{"URI", s.URI}, {"DigestValue", s.DigestValue}, {"SignatureValue", s.SignatureValue},
            {"X509Certificate", s.X509Certificate}};
}

Json json(const TDetCollectionItem& d) {
    const TProd& p = d.Prod;
    Json obs = Json::array();
    for (const auto& o : p.obsFiscoDet)
        obs.push_back({{"xCampoDet", o.xCampoDet}, {"xTextoDet", o.xTextoDet}});
    const TImposto& i = d.Imposto;
    return {
        {"nItem", d.nItem},
        {"Prod",
         {{"cProd", p.cProd}, {"cEAN", p.cEAN}, {"xProd", p.xProd}, {"NCM", p.NCM},
          {"CEST", p.CEST}, {"CFOP", p.CFOP}, {"uCom", p.uCom},
          {"EhCombustivel", p.EhCombustivel}, {"qCom", p.qCom}, {"vUnCom", p.vUnCom},
          {"vProd", num(p.vProd)}, {"indRegra", paraTexto(p.indRegra)}, {"vDesc", num(p.vDesc)},
          {"vOutro", num(p.vOutro)}, {"vItem", num(p.vItem)}, {"vRatDesc", num(p.vRatDesc)},
          {"vRatAcr", num(p.vRatAcr)}, {"obsFiscoDet", obs}, {"cANP", p.cANP}}},
        {"Imposto",
         {{"vItem12741", num(i.vItem12741)},
          {"ICMS",
           {{"orig", paraTexto(i.ICMS.orig)}, {"CST", paraTexto(i.ICMS.CST)},
            {"CSOSN", paraTexto(i.ICMS.CSOSN)}, {"pICMS", num(i.ICMS.pICMS)},
            {"vICMS", num(i.ICMS.vICMS)}}},
          {"PIS",
           {{"CST", paraTexto(i.PIS.CST)}, {"vBC", num(i.PIS.vBC)}, {"pPIS", num(i.PIS.pPIS)},
            {"vPIS", num(i.PIS.vPIS)}, {"qBCProd", num(i.PIS.qBCProd)},
            {"vAliqProd", num(i.PIS.vAliqProd)}}},
          {"PISST",
           {{"vBc", num(i.PISST.vBc)}, {"pPis", num(i.PISST.pPis)},
            {"qBCProd", num(i.PISST.qBCProd)}, {"vAliqProd", num(i.PISST.vAliqProd)},
            {"vPIS", num(i.PISST.vPIS)}}},
          {"COFINS",
           {{"CST", paraTexto(i.COFINS.CST)}, {"vBC", num(i.COFINS.vBC)},
            {"pCOFINS", num(i.COFINS.pCOFINS)}, {"vCOFINS", num(i.COFINS.vCOFINS)},
            {"vAliqProd", num(i.COFINS.vAliqProd)}, {"qBCProd", num(i.COFINS.qBCProd)}}},
          {"COFINSST",
           {{"vBC", num(i.COFINSST.vBC)}, {"pCOFINS", num(i.COFINSST.pCOFINS)},
            {"qBCProd", num(i.COFINSST.qBCProd)}, {"vAliqProd", num(i.COFINSST.vAliqProd)},
            {"vCOFINS", num(i.COFINSST.vCOFINS)}}},
          {"ISSQN",
           {{"vDeducISSQN", num(i.ISSQN.vDeducISSQN)}, {"vBC", num(i.ISSQN.vBC)},
            {"vAliq", num(i.ISSQN.vAliq)}, {"vISSQN", num(i.ISSQN.vISSQN)},
            {"cMunFG", i.ISSQN.cMunFG}, {"cListServ", i.ISSQN.cListServ},
            {"cServTribMun", i.ISSQN.cServTribMun}, {"cNatOp", i.ISSQN.cNatOp},
            {"indIncFisc", paraTexto(i.ISSQN.indIncFisc)}}}}},
        {"infAdProd", d.infAdProd}};
}

Json json(const TCFe& c) {
    Json det = Json::array();
    for (const auto& d : c.Det) det.push_back(json(d));
    Json mp = Json::array();
    for (const auto& m : c.Pagto)
        mp.push_back({{"cMP", paraTexto(m.cMP)}, {"vMP", num(m.vMP)}, {"cAdmC", m.cAdmC},
                      {"cAut", m.cAut}});
    const TTotal& t = c.Total;
    return {
        {"infCFe",
         {{"versao", num(c.infCFe.versao)}, {"versaoDadosEnt", num(c.infCFe.versaoDadosEnt)},
          {"versaoSB", c.infCFe.versaoSB}, {"ID", c.infCFe.ID}}},
        {"ide",
         {{"cUF", c.ide.cUF}, {"cNF", c.ide.cNF}, {"modelo", c.ide.modelo},
          {"nserieSAT", c.ide.nserieSAT}, {"nCFe", c.ide.nCFe}, {"dEmi", data(c.ide.dEmi())},
          {"hEmi", hora(c.ide.hEmi())}, {"cDV", c.ide.cDV}, {"tpAmb", paraTexto(c.ide.tpAmb)},
          {"CNPJ", c.ide.CNPJ}, {"signAC", c.ide.signAC},
          {"assinaturaQRCODE", c.ide.assinaturaQRCODE}, {"numeroCaixa", c.ide.numeroCaixa}}},
        {"Emit",
         {{"CNPJ", c.Emit.CNPJ}, {"xNome", c.Emit.xNome}, {"xFant", c.Emit.xFant},
          {"EnderEmit", json(c.Emit.EnderEmit)}, {"IE", c.Emit.IE}, {"IM", c.Emit.IM},
          {"cRegTrib", paraTexto(c.Emit.cRegTrib)},
          {"cRegTribISSQN", paraTexto(c.Emit.cRegTribISSQN)},
          {"indRatISSQN", paraTexto(c.Emit.indRatISSQN)}}},
        {"Dest", {{"CNPJCPF", c.Dest.CNPJCPF}, {"xNome", c.Dest.xNome}}},
        {"Entrega",
         {{"xLgr", c.Entrega.xLgr}, {"nro", c.Entrega.nro}, {"xCpl", c.Entrega.xCpl},
          {"xBairro", c.Entrega.xBairro}, {"xMun", c.Entrega.xMun}, {"UF", c.Entrega.UF}}},
        {"Det", det},
        {"Total",
         {{"ICMSTot",
           {{"vICMS", num(t.ICMSTot.vICMS)}, {"vProd", num(t.ICMSTot.vProd)},
            {"vDesc", num(t.ICMSTot.vDesc)}, {"vPIS", num(t.ICMSTot.vPIS)},
            {"vCOFINS", num(t.ICMSTot.vCOFINS)}, {"vPISST", num(t.ICMSTot.vPISST)},
            {"vCOFINSST", num(t.ICMSTot.vCOFINSST)}, {"vOutro", num(t.ICMSTot.vOutro)}}},
          {"vCFe", num(t.vCFe)},
          {"ISSQNtot",
           {{"vBC", num(t.ISSQNtot.vBC)}, {"vISS", num(t.ISSQNtot.vISS)},
            {"vPIS", num(t.ISSQNtot.vPIS)}, {"vCOFINS", num(t.ISSQNtot.vCOFINS)},
            {"vPISST", num(t.ISSQNtot.vPISST)}, {"vCOFINSST", num(t.ISSQNtot.vCOFINSST)}}},
          {"DescAcrEntr",
           {{"vDescSubtot", num(t.DescAcrEntr.vDescSubtot)},
            {"vAcresSubtot", num(t.DescAcrEntr.vAcresSubtot)}}},
          {"vCFeLei12741", num(t.vCFeLei12741)}}},
        {"Pagto", {{"MP", mp}, {"vTroco", num(c.Pagto.vTroco)}}},
        {"InfAdic", {{"infCpl", c.InfAdic.infCpl}, {"obsFisco", json(c.InfAdic.obsFisco)}}},
        {"obsFisco", json(c.obsFisco)},
        {"signature", json(c.signature)}};
}

Json json(const TCFeCanc& c) {
    return {
        {"infCFe",
         {{"versao", c.infCFe.versao}, {"ID", c.infCFe.ID}, {"chCanc", c.infCFe.chCanc},
          {"dEmi", data(c.infCFe.dEmi())}, {"hEmi", hora(c.infCFe.hEmi())}}},
        {"ide",
         {{"cUF", c.ide.cUF}, {"cNF", c.ide.cNF}, {"modelo", c.ide.modelo},
          {"nserieSAT", c.ide.nserieSAT}, {"nCFe", c.ide.nCFe}, {"dEmi", data(c.ide.dEmi())},
          {"hEmi", hora(c.ide.hEmi())}, {"cDV", c.ide.cDV}, {"CNPJ", c.ide.CNPJ},
          {"signAC", c.ide.signAC}, {"assinaturaQRCODE", c.ide.assinaturaQRCODE},
          {"numeroCaixa", c.ide.numeroCaixa}}},
        {"Emit",
         {{"CNPJ", c.Emit.CNPJ}, {"xNome", c.Emit.xNome}, {"xFant", c.Emit.xFant},
          {"EnderEmit", json(c.Emit.EnderEmit)}, {"IE", c.Emit.IE}, {"IM", c.Emit.IM}}},
        {"Dest", {{"CNPJCPF", c.Dest.CNPJCPF}}},
        {"Total", {{"vCFe", num(c.Total.vCFe)}}},
        {"InfAdic", {{"obsFisco", json(c.InfAdic.obsFisco)}}},
        {"signature", json(c.signature)}};
}

void escreverBytes(const std::string& bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
}

} // namespace

void registrarComandosCfe(CLI::App& app) {
    CLI::App* cfe = app.add_subcommand("cfe", "Documentos CF-e de venda e de cancelamento");
    cfe->require_subcommand(1);

    auto arquivo = std::make_shared<std::string>();
    CLI::App* ler = cfe->add_subcommand(
        "ler", "Lê um CF-e de venda ou de cancelamento (autorizado ou de entrada) e mostra o "
               "modelo em JSON");
    ler->add_option("ARQUIVO", *arquivo, "Arquivo XML do documento")->required();
    ler->callback([arquivo] {
        Documento d = carregar(*arquivo);
        const Json j = d.tipo == TipoDocumento::Venda ? json(*d.cfe) : json(*d.canc);
        std::cout << j.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    });

    auto completo = std::make_shared<bool>(false);
    auto identar = std::make_shared<int>(0);
    CLI::App* gerar = cfe->add_subcommand(
        "gerar", "Lê um documento e o escreve de novo com o gerador do sistema (documento de "
                 "entrada, ou completo com --completo)");
    gerar->add_option("ARQUIVO", *arquivo, "Arquivo XML do documento")->required();
    gerar->add_flag("--completo", *completo, "Escreve o documento completo, não só as tags da "
                                             "aplicação");
    gerar->add_option("--identar", *identar, "Identa o XML com N espaços por nível (0: uma linha)")
        ->check(CLI::Range(0, 16));
    gerar->callback([arquivo, completo, identar] {
        Documento d = carregar(*arquivo);
        if (d.tipo == TipoDocumento::Venda) {
            d.cfe->IdentarXML = *identar > 0;
            if (*identar > 0) d.cfe->TamanhoIdentacao = *identar;
            escreverBytes(d.cfe->GerarXML(!*completo));
        } else {
            d.canc->IdentarXML = *identar > 0;
            if (*identar > 0) d.canc->TamanhoIdentacao = *identar;
            escreverBytes(d.canc->GerarXML(!*completo));
        }
    });

    CLI::App* cancelamento = cfe->add_subcommand(
        "cancelamento", "Monta, a partir de um CF-e de venda autorizado, o pedido de "
                        "cancelamento que o SAT recebe");
    cancelamento->add_option("ARQUIVO", *arquivo, "Arquivo XML do CF-e de venda autorizado")
        ->required();
    cancelamento->callback([arquivo] {
        Documento d = carregar(*arquivo);
        if (d.tipo != TipoDocumento::Venda)
            throw ErroUso(*arquivo + ": é um cancelamento, não um CF-e de venda");
        if (d.cfe->infCFe.ID.empty())
            throw ErroUso(*arquivo + ": CF-e sem chave de acesso (não é um CF-e autorizado)");
        TCFeCanc canc;
        CFe2CFeCanc(*d.cfe, canc);
        escreverBytes(canc.GerarXML(true));
    });
}

} // namespace orvtool
