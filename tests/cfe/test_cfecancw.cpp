#include "cfe/CFeCancW.h"

#include "cfe/CFe.h"
#include "cfe/CFeCanc.h"
#include "support/DataHora.h"

#include <gtest/gtest.h>

#include <string>

using namespace orv;

namespace {

const std::string CHAVE = "35240361365310000102599000123450001234567890";

// The authorised sale being cancelled.
void vendaCancelada(TCFe& v, const char* versao) {
    v.infCFe.versao = Currency::deTexto(versao);
    v.infCFe.ID = CHAVE;
    v.ide.CNPJ = "11222333000181";
    v.ide.signAC = "ASSINATURA";
    v.ide.numeroCaixa = 2;
    v.ide.setMomentoEmissao(codificarDataHora(2024, 3, 5, 14, 30, 15));
    v.Dest.CNPJCPF = "12345678909";
}

} // namespace

TEST(CFeCancW, ReproducesTheReferenceRequest) {
    TCFe v;
    vendaCancelada(v, "0.07");
    v.ide.numeroCaixa = 1;
    TCFeCanc c;
    CFe2CFeCanc(v, c);
    EXPECT_EQ(c.GerarXML(true),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc><infCFe chCanc=\"CFe" + CHAVE +
                  "\"><ide><CNPJ>11222333000181</CNPJ><signAC>ASSINATURA</signAC>"
                  "<numeroCaixa>001</numeroCaixa></ide><emit></emit><dest></dest><total></total>"
                  "</infCFe></CFeCanc>");
    EXPECT_EQ(c.XMLOriginal().substr(0, 47), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc>");
}

TEST(CFeCancW, RequestEdgeCases) {
    const struct {
        const char* nome;
        const char* versao;
        const char* signAC;
        const char* trecho;
    } casos[] = {
        {"0.07 without the buyer", "0.07", "S", "<numeroCaixa>002</numeroCaixa></ide><emit></emit><dest></dest>"},
        {"0.08 without the buyer", "0.08", "S", "<emit></emit><dest></dest><total></total>"},
        {"0.06 carries the buyer", "0.06", "S", "<dest><CPF>12345678909</CPF></dest>"},
        {"empty signAC in short form", "0.08", "", "<signAC/><numeroCaixa>002</numeroCaixa>"},
    };
    for (const auto& k : casos) {
        TCFe v;
        vendaCancelada(v, k.versao);
        v.ide.signAC = k.signAC;
        TCFeCanc c;
        CFe2CFeCanc(v, c);
        const std::string xml = c.GerarXML(true);
        EXPECT_NE(xml.find(k.trecho), std::string::npos) << k.nome << "\n" << xml;
        EXPECT_EQ(xml.find('\n'), std::string::npos) << k.nome;
    }

    // Observations leave an empty infAdic in the request; indentation breaks after the
    // declaration.
    TCFe v;
    vendaCancelada(v, "0.08");
    TCFeCanc c;
    CFe2CFeCanc(v, c);
    auto& o = c.InfAdic.obsFisco.New();
    o.xCampo = "campo";
    o.xTexto = "texto";
    EXPECT_NE(c.GerarXML(true).find("<total></total><infAdic></infAdic></infCFe>"), std::string::npos);
    c.IdentarXML = true;
    EXPECT_EQ(c.GerarXML(true).substr(0, 51),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CFeCanc>\r\n");
}

TEST(CFeCancW, CompleteDocument) {
    TCFeCanc c;
    c.infCFe.versao = 0.08;
    c.infCFe.ID = "35240361365310000102599000123450001234567891";
    c.infCFe.chCanc = "CFe" + CHAVE;
    c.infCFe.setMomentoEmissao(codificarDataHora(2024, 3, 5, 15, 0, 0));
    c.ide.cUF = 35;
    c.ide.cNF = 42;
    c.ide.modelo = 59;
    c.ide.nserieSAT = 900012345;
    c.ide.nCFe = 124;
    c.ide.setMomentoEmissao(codificarDataHora(2024, 3, 5, 15, 0, 0));
    c.ide.CNPJ = "11222333000181";
    c.ide.signAC = "S";
    c.ide.numeroCaixa = 1;
    c.Emit.CNPJ = "61365310000102";
    c.Emit.xNome = "Loja";
    c.Emit.EnderEmit.nro = "9";
    c.Emit.IE = "ISENTO";
    c.Dest.CNPJCPF = "12345678909";
    c.Total.vCFe = Currency(10);
    auto& o = c.InfAdic.obsFisco.New();
    o.xCampo = " campo ";
    o.xTexto = "texto";
    const std::string xml = c.GerarXML(false);
    for (const char* s : {
             "<CFeCanc><infCFe versao=\"0.08\"  Id=\"35240361365310000102599000123450001234567891\"  "
             "chCanc=\"CFe35240361365310000102599000123450001234567890\"><dEmi>20240305</dEmi>"
             "<hEmi>150000</hEmi><ide><cUF>35</cUF><cNF>000042</cNF><mod>59</mod>"
             "<nserieSAT>900012345</nserieSAT><nCFe>000124</nCFe><dEmi>20240305</dEmi>"
             "<hEmi>150000</hEmi><cDV>0</cDV><CNPJ>11222333000181</CNPJ><signAC>S</signAC>"
             "<assinaturaQRCODE/><numeroCaixa>001</numeroCaixa></ide>",
             "<emit><CNPJ>61365310000102</CNPJ><xNome>Loja</xNome><enderEmit><xLgr/><nro>009</nro>",
             "<CEP>00000000</CEP></enderEmit><IE></IE></emit><dest><CPF>12345678909</CPF></dest>"
             "<total><vCFe>10.00</vCFe></total><infAdic><obsFisco xCampo=\"campo\"><xTexto>texto"
             "</xTexto></obsFisco></infAdic></infCFe></CFeCanc>",
         })
        EXPECT_NE(xml.find(s), std::string::npos) << s << "\n" << xml;
}

TEST(CFeCancW, FoldingOffKeepsUtf8BehindTheDeclaration) {
    TCFeCanc c;
    c.RetirarAcentos = false;
    c.ide.signAC = "Ação";
    EXPECT_NE(c.GerarXML(true).find("<signAC>A\xC3\xA7\xC3\xA3o</signAC>"), std::string::npos);
    c.RetirarAcentos = true;
    EXPECT_NE(c.GerarXML(true).find("<signAC>Acao</signAC>"), std::string::npos);
}
