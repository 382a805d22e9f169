// Read an authorised coupon, write it as a complete document, read it again: the same model.

#include "cfe/CFe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace orv;

namespace {

std::string lerBytes(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Every field of the model as "name=value" lines, so two models compare with one EXPECT_EQ
// and a difference shows the field that changed.
class Descricao {
public:
    template <typename T>
    Descricao& operator()(const std::string& nome, const T& v) {
        s << nome << '=';
        if constexpr (std::is_same_v<T, Currency>)
            s << v.raw();
        else if constexpr (std::is_enum_v<T>)
            s << static_cast<int>(v);
        else
            s << v;
        s << '\n';
        return *this;
    }
    std::string texto() const { return s.str(); }

private:
    std::ostringstream s;
};

std::string descrever(const TCFe& c) {
    Descricao d;
    d("infCFe.versao", c.infCFe.versao)("versaoDadosEnt", c.infCFe.versaoDadosEnt)(
        "versaoSB", c.infCFe.versaoSB)("ID", c.infCFe.ID);
    const Tide& i = c.ide;
    d("cUF", i.cUF)("cNF", i.cNF)("modelo", i.modelo)("nserieSAT", i.nserieSAT)("nCFe", i.nCFe)(
        "emissao", formatarDataHora("yyyy-mm-dd hh:nn:ss", i.momentoEmissao()))("cDV", i.cDV)(
        "tpAmb", i.tpAmb)("ide.CNPJ", i.CNPJ)("signAC", i.signAC)("QR", i.assinaturaQRCODE)(
        "numeroCaixa", i.numeroCaixa);
    const TEmit& e = c.Emit;
    d("emit.CNPJ", e.CNPJ)("emit.xNome", e.xNome)("xFant", e.xFant)("xLgr", e.EnderEmit.xLgr)(
        "nro", e.EnderEmit.nro)("xCpl", e.EnderEmit.xCpl)("xBairro", e.EnderEmit.xBairro)(
        "xMun", e.EnderEmit.xMun)("CEP", e.EnderEmit.CEP)("IE", e.IE)("IM", e.IM)(
        "cRegTrib", e.cRegTrib)("cRegTribISSQN", e.cRegTribISSQN)("indRat", e.indRatISSQN);
    d("dest", c.Dest.CNPJCPF)("dest.xNome", c.Dest.xNome);
    d("entrega", c.Entrega.xLgr + "|" + c.Entrega.nro + "|" + c.Entrega.xCpl + "|" +
                     c.Entrega.xBairro + "|" + c.Entrega.xMun + "|" + c.Entrega.UF);
    for (const auto& it : c.Det) {
        const TProd& p = it.Prod;
        d("-- item", it.nItem)("infAdProd", it.infAdProd)("cProd", p.cProd)("cEAN", p.cEAN)(
            "xProd", p.xProd)("NCM", p.NCM)("CEST", p.CEST)("CFOP", p.CFOP)("uCom", p.uCom)(
            "comb", p.EhCombustivel)("qCom", p.qCom)("vUnCom", p.vUnCom)("vProd", p.vProd)(
            "indRegra", p.indRegra)("vDesc", p.vDesc)("vOutro", p.vOutro)("vItem", p.vItem)(
            "vRatDesc", p.vRatDesc)("vRatAcr", p.vRatAcr)("cANP", p.cANP);
        for (const auto& o : p.obsFiscoDet) d("obsFiscoDet", o.xCampoDet + "|" + o.xTextoDet);
        const TImposto& m = it.Imposto;
        d("vItem12741", m.vItem12741)("orig", m.ICMS.orig)("CST", m.ICMS.CST)(
            "CSOSN", m.ICMS.CSOSN)("pICMS", m.ICMS.pICMS)("vICMS", m.ICMS.vICMS);
        d("PIS", m.PIS.CST)("vBC", m.PIS.vBC)("pPIS", m.PIS.pPIS)("vPIS", m.PIS.vPIS)(
            "qBCProd", m.PIS.qBCProd)("vAliqProd", m.PIS.vAliqProd);
        d("PISST", m.PISST.vBc)("pPis", m.PISST.pPis)("qBCProd", m.PISST.qBCProd)(
            "vAliqProd", m.PISST.vAliqProd)("vPIS", m.PISST.vPIS);
        d("COFINS", m.COFINS.CST)("vBC", m.COFINS.vBC)("pCOFINS", m.COFINS.pCOFINS)(
            "vCOFINS", m.COFINS.vCOFINS)("qBCProd", m.COFINS.qBCProd)(
            "vAliqProd", m.COFINS.vAliqProd);
        d("COFINSST", m.COFINSST.vBC)("pCOFINS", m.COFINSST.pCOFINS)(
            "qBCProd", m.COFINSST.qBCProd)("vAliqProd", m.COFINSST.vAliqProd)(
            "vCOFINS", m.COFINSST.vCOFINS);
        d("ISSQN", m.ISSQN.vDeducISSQN)("vBC", m.ISSQN.vBC)("vAliq", m.ISSQN.vAliq)(
            "vISSQN", m.ISSQN.vISSQN)("cMunFG", m.ISSQN.cMunFG)("cListServ", m.ISSQN.cListServ)(
            "cServTribMun", m.ISSQN.cServTribMun)("cNatOp", m.ISSQN.cNatOp)(
            "indIncFisc", m.ISSQN.indIncFisc);
    }
    const TTotal& t = c.Total;
    d("vICMS", t.ICMSTot.vICMS)("vProd", t.ICMSTot.vProd)("vDesc", t.ICMSTot.vDesc)(
        "vPIS", t.ICMSTot.vPIS)("vCOFINS", t.ICMSTot.vCOFINS)("vPISST", t.ICMSTot.vPISST)(
        "vCOFINSST", t.ICMSTot.vCOFINSST)("vOutro", t.ICMSTot.vOutro)("vCFe", t.vCFe);
    d("iss.vBC", t.ISSQNtot.vBC)("vISS", t.ISSQNtot.vISS)("iss.vPIS", t.ISSQNtot.vPIS)(
        "iss.vCOFINS", t.ISSQNtot.vCOFINS)("iss.vPISST", t.ISSQNtot.vPISST)(
        "iss.vCOFINSST", t.ISSQNtot.vCOFINSST)("vDescSubtot", t.DescAcrEntr.vDescSubtot)(
        "vAcresSubtot", t.DescAcrEntr.vAcresSubtot)("vCFeLei12741", t.vCFeLei12741);
    for (const auto& mp : c.Pagto)
        d("MP", mp.cMP)("vMP", mp.vMP)("cAdmC", mp.cAdmC)("cAut", mp.cAut);
    d("vTroco", c.Pagto.vTroco)("infCpl", c.InfAdic.infCpl);
    for (const auto& o : c.InfAdic.obsFisco) d("infAdic.obsFisco", o.xCampo + "|" + o.xTexto);
    for (const auto& o : c.obsFisco) d("obsFisco", o.xCampo + "|" + o.xTexto);
    d("DigestValue", c.signature.DigestValue)("SignatureValue", c.signature.SignatureValue)(
        "X509Certificate", c.signature.X509Certificate);
    return d.texto();
}

} // namespace

TEST(IdaVolta, AuthorisedCouponReadWrittenAndReadAgainGivesTheSameModel) {
    TCFe lido;
    lido.SetXMLString(lerBytes(std::string(ORVANE_TEST_DATA) + "/cfe_autorizado.xml"));
    ASSERT_EQ(lido.Det.Count(), 3);
    ASSERT_EQ(lido.obsFisco.Count(), 2);
    ASSERT_FALSE(lido.signature.SignatureValue.empty());

    lido.RetirarAcentos = false;  // keep "São João" as it came
    lido.IdentarXML = true;
    const std::string completo = lido.GerarXML(false);
    EXPECT_EQ(lido.XMLOriginal(), completo);

    TCFe relido;
    relido.SetXMLString(completo);
    EXPECT_EQ(descrever(relido), descrever(lido));
    EXPECT_EQ(relido.Emit.xNome, "Padaria São João Ltda");
    // The written signature refers to the key's digits.
    EXPECT_EQ(relido.signature.URI, lido.infCFe.ID);

    // Writing the re-read model gives the same bytes again.
    relido.RetirarAcentos = false;
    relido.IdentarXML = true;
    EXPECT_EQ(relido.GerarXML(false), completo);
}

TEST(IdaVolta, AsXMLStringRendersOnceAndSaveToFileWritesTheBytes) {
    TCFe cfe;
    cfe.ide.CNPJ = "16716114000172";
    cfe.ide.numeroCaixa = 1;
    const std::string primeiro = cfe.GetAsXMLString();
    ASSERT_EQ(primeiro.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>", 0), 0u);
    cfe.ide.numeroCaixa = 2;  // not rendered again: the stored text comes back
    EXPECT_EQ(cfe.AsXMLString(), primeiro);

    const auto pasta = std::filesystem::temp_directory_path() /
                       ("orv_idavolta_" + std::to_string(::getpid()));
    std::filesystem::create_directories(pasta);
    const std::string arq = (pasta / "cfe.xml").string();
    EXPECT_TRUE(cfe.SaveToFile(arq));
    EXPECT_EQ(cfe.NomeArquivo, arq);
    EXPECT_EQ(lerBytes(arq), primeiro);

    // The exact bytes received are what is saved, not a rendering.
    const std::string recebido = lerBytes(std::string(ORVANE_TEST_DATA) + "/cfe_autorizado.xml");
    TCFe autorizado;
    autorizado.SetXMLString(recebido);
    autorizado.SaveToFile(arq);
    EXPECT_EQ(lerBytes(arq), recebido);
    std::filesystem::remove_all(pasta);
}
