#include "cfe/CFeW.h"

#include "cfe/CFe.h"
#include "support/DataHora.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace orv;

namespace {

const char* const CNPJ_SH = "11222333000181";
const char* const CNPJ_EMIT = "61365310000102";
const char* const SIGN_AC = "SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT";

// The sale of the reference entry document: layout 0.08, Simples Nacional emitter without IM,
// no buyer, one item, one cash payment.
void vendaExemplo(TCFe& c) {
    c.infCFe.versaoDadosEnt = Currency::deRaw(800);
    c.ide.CNPJ = CNPJ_SH;
    c.ide.signAC = SIGN_AC;
    c.ide.numeroCaixa = 1;
    c.Emit.CNPJ = CNPJ_EMIT;
    c.Emit.IE = "111.111.111.111";
    c.Emit.cRegTrib = TRegTrib::RTSimplesNacional;
    c.Emit.indRatISSQN = TindRatISSQN::irNao;
    auto& d = c.Det.New();
    d.nItem = 1;
    d.Prod.cProd = "123";
    d.Prod.xProd = "PRODUTO";
    d.Prod.CFOP = "5102";
    d.Prod.uCom = "UN";
    d.Prod.qCom = 1;
    d.Prod.vUnCom = 10;
    d.Imposto.ICMS.orig = TOrigemMercadoria::oeNacional;
    d.Imposto.ICMS.CSOSN = TCSOSNIcms::csosn102;
    d.Imposto.PIS.CST = TCstPis::pis49;
    d.Imposto.COFINS.CST = TCstCofins::cof49;
    auto& mp = c.Pagto.New();
    mp.cMP = TCodigoMP::mpDinheiro;
    mp.vMP = Currency(10);
}

std::string entrada(TCFe& c) { return c.GerarXML(true); }

} // namespace

TEST(CFeW, ReproducesTheReferenceEntryDocument) {
    TCFe c;
    vendaExemplo(c);
    c.IdentarXML = true;
    c.TamanhoIdentacao = 3;
    const std::string esperado =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>\r\n"
        "   <infCFe versaoDadosEnt=\"0.08\">\r\n"
        "      <ide>\r\n"
        "         <CNPJ>11222333000181</CNPJ>\r\n"
        "         <signAC>SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT</signAC>\r\n"
        "         <numeroCaixa>001</numeroCaixa>\r\n"
        "      </ide>\r\n"
        "      <emit>\r\n"
        "         <CNPJ>61365310000102</CNPJ>\r\n"
        "         <IE>111111111111</IE>\r\n"
        "         <indRatISSQN>N</indRatISSQN>\r\n"
        "      </emit>\r\n"
        "      <dest>\r\n"
        "      </dest>\r\n"
        "      <det nItem=\"1\">\r\n"
        "         <prod>\r\n"
        "            <cProd>123</cProd>\r\n"
        "            <xProd>PRODUTO</xProd>\r\n"
        "            <CFOP>5102</CFOP>\r\n"
        "            <uCom>UN</uCom>\r\n"
        "            <qCom>1.0000</qCom>\r\n"
        "            <vUnCom>10.00</vUnCom>\r\n"
        "            <indRegra>A</indRegra>\r\n"
        "         </prod>\r\n"
        "         <imposto>\r\n"
        "            <ICMS>\r\n"
        "               <ICMSSN102>\r\n"
        "                  <Orig>0</Orig>\r\n"
        "                  <CSOSN>102</CSOSN>\r\n"
        "               </ICMSSN102>\r\n"
        "            </ICMS>\r\n"
        "            <PIS>\r\n"
        "               <PISSN>\r\n"
        "                  <CST>49</CST>\r\n"
        "               </PISSN>\r\n"
        "            </PIS>\r\n"
        "            <COFINS>\r\n"
        "               <COFINSSN>\r\n"
        "                  <CST>49</CST>\r\n"
        "               </COFINSSN>\r\n"
        "            </COFINS>\r\n"
        "         </imposto>\r\n"
        "      </det>\r\n"
        "      <total>\r\n"
        "         <vCFeLei12741>0.00</vCFeLei12741>\r\n"
        "      </total>\r\n"
        "      <pgto>\r\n"
        "         <MP>\r\n"
        "            <cMP>01</cMP>\r\n"
        "            <vMP>10.00</vMP>\r\n"
        "         </MP>\r\n"
        "      </pgto>\r\n"
        "   </infCFe>\r\n"
        "</CFe>\r\n";
    EXPECT_EQ(entrada(c), esperado);
    EXPECT_EQ(c.XMLOriginal(), esperado);

    // No alert for a well-formed sale.
    TCFeW w(c);
    EXPECT_TRUE(w.GerarXml(true)) << (w.Gerador.ListaDeAlertas.empty() ? "" : w.Gerador.ListaDeAlertas[0]);
}

namespace {

struct CasoEscrita {
    const char* nome;
    std::function<void(TCFe&)> preparar;
    bool completo;
    std::vector<std::string> presentes;
    std::vector<std::string> ausentes;
};

Currency V(const char* t) { return Currency::deTexto(t); }

} // namespace

TEST(CFeW, EdgeCasesOfTheDocument) {
    const CasoEscrita casos[] = {
        {"layout 0.07 entry document", [](TCFe& c) { c.infCFe.versaoDadosEnt = V("0.07"); }, false,
         {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.07\"><ide><CNPJ>",
          "<numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>61365310000102</CNPJ><IE>111111111111</IE>"
          "<indRatISSQN>N</indRatISSQN></emit><dest></dest><det nItem=\"1\"><prod>",
          "<total><vCFeLei12741>0.00</vCFeLei12741></total><pgto><MP><cMP>01</cMP><vMP>10.00</vMP></MP></pgto>"},
         {"vProd", "vItem", "CEST", "cANP", "vTroco", "versao=", "cUF", "xNome"}},
        {"CEST only from 0.08",
         [](TCFe& c) { c.infCFe.versaoDadosEnt = V("0.07"); c.Det[0].Prod.CEST = "0100100"; }, false,
         {}, {"CEST"}},
        {"CEST at 0.08", [](TCFe& c) { c.Det[0].Prod.CEST = "0100100"; }, false,
         {"<xProd>PRODUTO</xProd><CEST>0100100</CEST><CFOP>"}, {}},
        {"SEM GTIN from 0.10",
         [](TCFe& c) { c.infCFe.versaoDadosEnt = V("0.10"); c.Det[0].Prod.NCM = "22030000"; }, false,
         {"<cProd>123</cProd><cEAN>SEM GTIN</cEAN><xProd>PRODUTO</xProd><NCM>22030000</NCM>"}, {}},
        {"empty NCM required from 0.10", [](TCFe& c) { c.infCFe.versaoDadosEnt = V("0.10"); }, false,
         {"<NCM/>"}, {}},
        {"no cEAN at 0.09", [](TCFe& c) { c.infCFe.versaoDadosEnt = V("0.09"); }, false, {},
         {"cEAN"}},
        {"cAut from 0.09",
         [](TCFe& c) {
             c.infCFe.versaoDadosEnt = V("0.09");
             c.Pagto[0].cMP = TCodigoMP::mpCartaodeCredito;
             c.Pagto[0].cAdmC = 5;
             c.Pagto[0].cAut = "A123";
         },
         false, {"<MP><cMP>03</cMP><vMP>10.00</vMP><cAdmC>005</cAdmC><cAut>A123</cAut></MP>"}, {}},
        {"no cAut at 0.08", [](TCFe& c) { c.Pagto[0].cAut = "A123"; }, false, {}, {"cAut"}},
        {"cANP from 0.10",
         [](TCFe& c) {
             c.infCFe.versaoDadosEnt = V("0.10");
             c.Det[0].Prod.cANP = 210203001;
         },
         false, {"<indRegra>A</indRegra><cANP>210203001</cANP></prod>"}, {}},
        {"fuel item",
         [](TCFe& c) {
             c.Det[0].Prod.EhCombustivel = true;
             c.Det[0].Prod.vUnCom = 5.499;
         },
         false, {"<vUnCom>5.499</vUnCom><indRegra>T</indRegra>"}, {}},
        {"non-fuel item", [](TCFe& c) { c.Det[0].Prod.vUnCom = 5.499; }, false,
         {"<vUnCom>5.50</vUnCom><indRegra>A</indRegra>"}, {}},
        {"ISSQN without amounts", [](TCFe& c) { c.Det[0].Imposto.ISSQN.cNatOp = 1; }, false,
         {"<imposto><PIS>"}, {"<ICMS>", "<ISSQN>"}},
        {"ISSQN service item",
         [](TCFe& c) {
             auto& iss = c.Det[0].Imposto.ISSQN;
             iss.cNatOp = 1;
             iss.vAliq = V("5");
             iss.vBC = V("10");
             iss.cMunFG = 3550308;
             iss.cListServ = "01.01";
             iss.indIncFisc = TindIncentivo::iiNao;
         },
         false,
         {"<ISSQN><vDeducISSQN>0.00</vDeducISSQN><vAliq>005.00</vAliq><cMunFG>3550308</cMunFG>"
          "<cListServ>01.01</cListServ><cNatOp>01</cNatOp><indIncFisc>2</indIncFisc></ISSQN>"},
         {"ICMS", "<vBC>"}},
        {"regime normal CST 10 gives an empty ICMS",
         [](TCFe& c) {
             c.Emit.cRegTrib = TRegTrib::RTRegimeNormal;
             c.Det[0].Imposto.ICMS.CST = TCSTIcms::cst10;
         },
         false, {"<ICMS></ICMS>"}, {}},
        {"regime normal CST 00",
         [](TCFe& c) {
             c.Emit.cRegTrib = TRegTrib::RTRegimeNormal;
             c.Det[0].Imposto.ICMS.CST = TCSTIcms::cst00;
             c.Det[0].Imposto.ICMS.pICMS = V("18");
             c.Det[0].Imposto.ICMS.vICMS = V("1.8");
         },
         false, {"<ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>18.00</pICMS></ICMS00></ICMS>"}, {}},
        {"regime normal CST 01 routes to ICMS00 with its digits",
         [](TCFe& c) {
             c.Emit.cRegTrib = TRegTrib::RTRegimeNormal;
             c.Det[0].Imposto.ICMS.CST = TCSTIcms::cst01;
         },
         false, {"<ICMS00><Orig>0</Orig><CST>01</CST><pICMS>0.00</pICMS></ICMS00>"}, {}},
        {"regime normal CST 60",
         [](TCFe& c) {
             c.Emit.cRegTrib = TRegTrib::RTRegimeNormal;
             c.Det[0].Imposto.ICMS.CST = TCSTIcms::cst60;
         },
         false, {"<ICMS><ICMS40><Orig>0</Orig><CST>60</CST></ICMS40></ICMS>"}, {}},
        {"CSOSN 900",
         [](TCFe& c) {
             c.Det[0].Imposto.ICMS.CSOSN = TCSOSNIcms::csosn900;
             c.Det[0].Imposto.ICMS.pICMS = V("2.5");
         },
         false, {"<ICMSSN900><Orig>0</Orig><CSOSN>900</CSOSN><pICMS>2.50</pICMS></ICMSSN900>"}, {}},
        {"CSOSN 101 gives an empty ICMS",
         [](TCFe& c) { c.Det[0].Imposto.ICMS.CSOSN = TCSOSNIcms::csosn101; }, false,
         {"<ICMS></ICMS>"}, {}},
        {"PISOutr by value",
         [](TCFe& c) {
             c.Det[0].Imposto.PIS.CST = TCstPis::pis99;
             c.Det[0].Imposto.PIS.vBC = V("10");
             c.Det[0].Imposto.PIS.pPIS = V("0.0165");
         },
         false, {"<PIS><PISOutr><CST>99</CST><vBC>10.00</vBC><pPIS>0.0165</pPIS></PISOutr></PIS>"}, {}},
        {"PISOutr by quantity",
         [](TCFe& c) {
             c.Det[0].Imposto.PIS.CST = TCstPis::pis99;
             c.Det[0].Imposto.PIS.qBCProd = V("1");
         },
         false,
         {"<PISOutr><CST>99</CST><qBCProd>1.0000</qBCProd><vAliqProd>0.0000</vAliqProd></PISOutr>"},
         {}},
        {"PISAliq and COFINSQtde",
         [](TCFe& c) {
             c.Det[0].Imposto.PIS.CST = TCstPis::pis01;
             c.Det[0].Imposto.PIS.vBC = V("10");
             c.Det[0].Imposto.PIS.pPIS = V("0.0065");
             c.Det[0].Imposto.COFINS.CST = TCstCofins::cof03;
             c.Det[0].Imposto.COFINS.qBCProd = V("2");
             c.Det[0].Imposto.COFINS.vAliqProd = V("0.5");
         },
         false,
         {"<PISAliq><CST>01</CST><vBC>10.00</vBC><pPIS>0.0065</pPIS></PISAliq>",
          "<COFINSQtde><CST>03</CST><qBCProd>2.0000</qBCProd><vAliqProd>0.5000</vAliqProd></COFINSQtde>"},
         {}},
        {"PISNT", [](TCFe& c) { c.Det[0].Imposto.PIS.CST = TCstPis::pis07; }, false,
         {"<PIS><PISNT><CST>07</CST></PISNT></PIS>"}, {}},
        {"PISST only with amounts",
         [](TCFe& c) {
             c.Det[0].Imposto.PISST.vBc = V("10");
             c.Det[0].Imposto.PISST.pPis = V("0.0165");
             c.Det[0].Imposto.COFINSST.qBCProd = V("3");
             c.Det[0].Imposto.COFINSST.vAliqProd = V("0.1");
         },
         false,
         {"</PIS><PISST><vBC>10.00</vBC><pPIS>0.0165</pPIS></PISST><COFINS>",
          "</COFINS><COFINSST><qBCProd>3.0000</qBCProd><vAliqProd>0.1000</vAliqProd></COFINSST>"},
         {}},
        {"street numbers",
         [](TCFe& c) {
             c.Entrega.xLgr = "Rua A";
             c.Entrega.nro = "7";
             c.Entrega.xBairro = "Centro";
             c.Entrega.xMun = "Sao Paulo";
             c.Entrega.UF = "SP";
         },
         false,
         {"</dest><entrega><xLgr>Rua A</xLgr><nro>007</nro><xBairro>Centro</xBairro>"
          "<xMun>Sao Paulo</xMun><UF>SP</UF></entrega><det"},
         {}},
        {"street number 12", [](TCFe& c) { c.Entrega.nro = "12"; }, false, {"<nro>012</nro>"}, {}},
        {"street number 7A", [](TCFe& c) { c.Entrega.nro = "7A"; }, false, {"<nro>7A</nro>"}, {}},
        {"street number 123", [](TCFe& c) { c.Entrega.nro = "123"; }, false, {"<nro>123</nro>"}, {}},
        {"street number kept without adjustment",
         [](TCFe& c) {
             c.AjustarTagNro = false;
             c.Entrega.nro = "7";
         },
         false, {"<nro>7</nro>"}, {}},
        {"IE ISENTO", [](TCFe& c) { c.Emit.IE = "ISENTO"; }, false, {"<IE></IE>"}, {"<IE/>"}},
        {"IM and ISSQN regime",
         [](TCFe& c) {
             c.Emit.IM = "12345";
             c.Emit.cRegTribISSQN = TRegTribISSQN::RTISSMEEPP;
         },
         false, {"<IE>111111111111</IE><IM>12345</IM><cRegTribISSQN>6</cRegTribISSQN><indRatISSQN>"},
         {}},
        {"dest CNPJ", [](TCFe& c) { c.Dest.CNPJCPF = "11222333000181"; }, false,
         {"<dest><CNPJ>11222333000181</CNPJ></dest>"}, {}},
        {"dest CPF", [](TCFe& c) { c.Dest.CNPJCPF = "123.456.789-09"; }, false,
         {"<dest><CPF>12345678909</CPF></dest>"}, {}},
        {"dest 10 digits", [](TCFe& c) { c.Dest.CNPJCPF = "0123456016"; c.Dest.xNome = "Ana"; },
         false, {"<dest><CPF>00123456016</CPF><xNome>Ana</xNome></dest>"}, {}},
        {"subtotal discount and infCpl",
         [](TCFe& c) {
             c.Total.DescAcrEntr.vDescSubtot = V("1.5");
             c.InfAdic.infCpl = "Volte  sempre\r\nobrigado";
         },
         false,
         {"<total><DescAcrEntr><vDescSubtot>1.50</vDescSubtot></DescAcrEntr><vCFeLei12741>",
          "</pgto><infAdic><infCpl>Volte  sempreobrigado</infCpl></infAdic></infCFe>"},
         {}},
        {"item observations",
         [](TCFe& c) {
             auto& o = c.Det[0].Prod.obsFiscoDet.New();
             o.xCampoDet = "Cod.Produto ANP";
             o.xTextoDet = "210203001";
             c.Det[0].infAdProd = "Lote 5";
         },
         false,
         {"<indRegra>A</indRegra><obsFiscoDet xCampoDet=\"Cod.Produto ANP\"><xTextoDet>210203001"
          "</xTextoDet></obsFiscoDet></prod>",
          "</imposto><infAdProd>Lote 5</infAdProd></det>"},
         {}},
        {"attribute values cannot break the markup",
         [](TCFe& c) {
             auto& o = c.Det[0].Prod.obsFiscoDet.New();
             o.xCampoDet = " a\"b&<c ";
             o.xTextoDet = "t";
         },
         false, {"<obsFiscoDet xCampoDet=\" a&quot;b&amp;&lt;c \"><xTextoDet>t</xTextoDet>"}, {}},
        {"accents folded and escaped",
         [](TCFe& c) { c.Det[0].Prod.xProd = "Pão & Café <500g>"; }, false,
         {"<xProd>Pao &amp; Cafe &lt;500g&gt;</xProd>"}, {}},
        {"accents kept as UTF-8 when folding is off",
         [](TCFe& c) {
             c.RetirarAcentos = false;
             c.Det[0].Prod.xProd = "Pão Ω";
         },
         false, {"<xProd>P\xC3\xA3o ?</xProd>"}, {}},
    };
    for (const auto& caso : casos) {
        TCFe c;
        vendaExemplo(c);
        caso.preparar(c);
        const std::string xml = c.GerarXML(!caso.completo);
        for (const auto& s : caso.presentes)
            EXPECT_NE(xml.find(s), std::string::npos) << caso.nome << ": missing " << s << "\n" << xml;
        for (const auto& s : caso.ausentes)
            EXPECT_EQ(xml.find(s), std::string::npos) << caso.nome << ": unexpected " << s << "\n" << xml;
    }
}

namespace {

// An authorised sale as the device returns it, for the complete document.
void vendaAutorizada(TCFe& c, const char* versao) {
    vendaExemplo(c);
    c.infCFe.versao = V(versao);
    c.infCFe.versaoDadosEnt = V(versao);
    c.infCFe.versaoSB = 10000;
    c.infCFe.ID = "35240361365310000102599000123450001234567890";
    c.ide.cUF = 35;
    c.ide.cNF = 456789;
    c.ide.modelo = 59;
    c.ide.nserieSAT = 900012345;
    c.ide.nCFe = 123;
    c.ide.setDEmi(codificarData(2024, 3, 5));
    c.ide.setHEmi(codificarHora(14, 30, 15));
    c.ide.cDV = 0;
    c.ide.tpAmb = TTipoAmbiente::taHomologacao;
    c.Emit.xNome = "Loja Exemplo Ltda";
    c.Emit.EnderEmit.xLgr = "Rua das Flores";
    c.Emit.EnderEmit.nro = "5";
    c.Emit.EnderEmit.xBairro = "Centro";
    c.Emit.EnderEmit.xMun = "Sao Paulo";
    c.Emit.EnderEmit.CEP = 1001000;
    c.Det[0].Prod.vProd = V("10");
    c.Det[0].Prod.vItem = V("10");
    c.Total.ICMSTot.vProd = V("10");
    c.Total.vCFe = V("10");
    auto& o = c.obsFisco.New();
    o.xCampo = " xCampo1 ";
    o.xTexto = "texto 1";
    auto& oi = c.InfAdic.obsFisco.New();
    oi.xCampo = "xCampo2";
    oi.xTexto = "texto 2";
}

} // namespace

TEST(CFeW, CompleteDocument) {
    TCFe c;
    vendaAutorizada(c, "0.08");
    std::string xml = c.GerarXML(false);
    for (const char* s : {
             "<CFe><infCFe versao=\"0.08\" versaoDadosEnt=\"0.08\" versaoSB=\"010000\" "
             "Id=\"35240361365310000102599000123450001234567890\"><ide><cUF>35</cUF><cNF>456789</cNF>"
             "<mod>59</mod><nserieSAT>900012345</nserieSAT><nCFe>000123</nCFe><dEmi>20240305</dEmi>"
             "<hEmi>143015</hEmi><tpAmb>2</tpAmb><CNPJ>",
             "<emit><CNPJ>61365310000102</CNPJ><xNome>Loja Exemplo Ltda</xNome><enderEmit>"
             "<xLgr>Rua das Flores</xLgr><nro>005</nro><xBairro>Centro</xBairro><xMun>Sao Paulo</xMun>"
             "<CEP>01001000</CEP></enderEmit><IE>111111111111</IE><cRegTrib>1</cRegTrib>",
             "<vUnCom>10.00</vUnCom><vProd>10.00</vProd><indRegra>A</indRegra><vItem>10.00</vItem></prod>",
             "<total><ICMSTot><vICMS>0.00</vICMS><vProd>10.00</vProd><vDesc>0.00</vDesc>",
             "</ICMSTot><vCFe>10.00</vCFe><vCFeLei12741>0.00</vCFeLei12741></total>",
             "</MP><vTroco>0.00</vTroco></pgto>",
             // From 0.08 the observations stand at document level only.
             "<infAdic></infAdic><obsFisco xCampo=\"xCampo1\"><xTexto>texto 1</xTexto></obsFisco></infCFe></CFe>",
         })
        EXPECT_NE(xml.find(s), std::string::npos) << s << "\n" << xml;
    EXPECT_EQ(xml.find("xCampo2"), std::string::npos);
    EXPECT_EQ(xml.find("Signature"), std::string::npos);  // not signed

    // Up to 0.07 they stand inside infAdic.
    TCFe d;
    vendaAutorizada(d, "0.07");
    xml = d.GerarXML(false);
    EXPECT_NE(xml.find("<infAdic><obsFisco xCampo=\"xCampo2\"><xTexto>texto 2</xTexto></obsFisco>"
                       "</infAdic></infCFe>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("xCampo1"), std::string::npos);

    // A zero time counts as empty.
    TCFe m;
    vendaAutorizada(m, "0.08");
    m.ide.setHEmi(0);
    xml = m.GerarXML(false);
    EXPECT_NE(xml.find("<dEmi>20240305</dEmi><tpAmb>2</tpAmb>"), std::string::npos) << xml;
}

TEST(CFeW, SignatureBlockFollowsTheOption) {
    TCFe c;
    vendaAutorizada(c, "0.08");
    c.signature.DigestValue = "ZGln";
    c.signature.SignatureValue = "c2ln";
    c.signature.X509Certificate = "Y2VydA==";
    std::string xml = c.GerarXML(false);
    EXPECT_NE(xml.find("</infCFe><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Reference URI=\"35240361365310000102599000123450001234567890\">"), std::string::npos);
    EXPECT_NE(xml.find("<DigestValue>ZGln</DigestValue>"), std::string::npos);
    EXPECT_NE(xml.find("<X509Certificate>Y2VydA==</X509Certificate></X509Data></KeyInfo></Signature></CFe>"),
              std::string::npos);

    const struct {
        TTagAssinatura opcao;
        bool assinada, escrita;
    } casos[] = {
        {TTagAssinatura::taNunca, true, false},
        {TTagAssinatura::taSempre, false, true},
        {TTagAssinatura::taSomenteSeAssinada, false, false},
        {TTagAssinatura::taSomenteParaNaoAssinada, false, true},
        {TTagAssinatura::taSomenteParaNaoAssinada, true, false},
    };
    for (const auto& k : casos) {
        TCFe s;
        vendaExemplo(s);
        if (k.assinada) {
            s.signature.DigestValue = "a";
            s.signature.SignatureValue = "b";
            s.signature.X509Certificate = "c";
        }
        TCFeW w(s);
        w.Opcoes.GerarTagAssinatura = k.opcao;
        w.GerarXml(true);
        EXPECT_EQ(w.Gerador.ArquivoFormatoXML.find("<Signature") != std::string::npos, k.escrita)
            << static_cast<int>(k.opcao) << k.assinada;
    }

    // Without values the block keeps separate start and end tags.
    TCFe v;
    vendaExemplo(v);
    TCFeW w(v);
    w.Opcoes.GerarTagAssinatura = TTagAssinatura::taSempre;
    w.GerarXml(true);
    EXPECT_NE(w.Gerador.ArquivoFormatoXML.find("<DigestValue></DigestValue>"), std::string::npos);
}

TEST(CFeW, WriterAlerts) {
    const struct {
        const char* nome;
        std::function<void(TCFe&)> preparar;
        const char* trecho;
    } casos[] = {
        {"bad state code", [](TCFe& c) { c.ide.cUF = 99; }, "ID:B02/cUF"},
        {"bad delivery state",
         [](TCFe& c) {
             c.Entrega.xLgr = "Rua";
             c.Entrega.nro = "1";
             c.Entrega.xBairro = "B";
             c.Entrega.xMun = "Mun";
             c.Entrega.UF = "XX";
         },
         "ID:G07/UF"},
        {"bad municipality",
         [](TCFe& c) {
             c.Det[0].Imposto.ISSQN.cNatOp = 1;
             c.Det[0].Imposto.ISSQN.vAliq = V("5");
             c.Det[0].Imposto.ISSQN.cMunFG = 3550307;
         },
         "ID:U06/cMunFG"},
        {"too many payments",
         [](TCFe& c) {
             for (int i = 0; i < 10; ++i) c.Pagto.New().vMP = V("1");
         },
         "Máximo 10"},
        {"long xCampo",
         [](TCFe& c) {
             auto& o = c.obsFisco.New();
             o.xCampo = "123456789012345678901";
             o.xTexto = "x";
         },
         "ID:ZA02/xCampo"},
        {"PISOutr with both bases",
         [](TCFe& c) {
             c.Det[0].Imposto.PIS.CST = TCstPis::pis99;
             c.Det[0].Imposto.PIS.vBC = V("1");
             c.Det[0].Imposto.PIS.qBCProd = V("1");
         },
         "As TAG <vBC> e <pPIS> não podem"},
    };
    for (const auto& k : casos) {
        TCFe c;
        vendaAutorizada(c, "0.08");
        k.preparar(c);
        TCFeW w(c);
        EXPECT_FALSE(w.GerarXml(false)) << k.nome;
        bool achou = false;
        for (const auto& a : w.Gerador.ListaDeAlertas) achou = achou || a.find(k.trecho) != std::string::npos;
        EXPECT_TRUE(achou) << k.nome;
    }
    EXPECT_TRUE(escritor::municipioIbgeValido(3550308));
    EXPECT_TRUE(escritor::municipioIbgeValido(2201919));
    EXPECT_FALSE(escritor::municipioIbgeValido(2201910));
    EXPECT_TRUE(escritor::municipioIbgeValido(9999999));
}

TEST(CFeW, CompleteDocumentSurvivesTheReader) {
    TCFe c;
    vendaAutorizada(c, "0.08");
    c.ide.assinaturaQRCODE = std::string(344, 'Q');
    c.signature.DigestValue = "ZGln";
    c.signature.SignatureValue = "c2ln";
    c.signature.X509Certificate = "Y2VydA==";
    auto& d2 = c.Det.New();
    d2.nItem = 2;
    d2.Prod.cProd = "456";
    d2.Prod.xProd = "GASOLINA";
    d2.Prod.CFOP = "5656";
    d2.Prod.uCom = "L";
    d2.Prod.qCom = 12.345;
    d2.Prod.vUnCom = 5.499;
    d2.Prod.EhCombustivel = true;
    d2.Prod.vProd = V("67.89");
    d2.Prod.vItem = V("67.89");
    d2.Imposto.ICMS.CSOSN = TCSOSNIcms::csosn500;
    d2.Imposto.PIS.CST = TCstPis::pis99;
    d2.Imposto.PIS.vBC = V("67.89");
    d2.Imposto.PIS.pPIS = V("0.0165");
    d2.Imposto.PIS.vPIS = V("1.12");
    d2.Imposto.COFINS.CST = TCstCofins::cof04;
    auto& mp = c.Pagto.New();
    mp.cMP = TCodigoMP::mpCartaodeDebito;
    mp.vMP = V("60");
    mp.cAdmC = 12;
    c.Pagto.vTroco = V("2.11");
    c.InfAdic.infCpl = "Volte sempre";

    const std::string primeiro = c.GerarXML(false);
    TCFe lido;
    lido.SetXMLString(primeiro);
    EXPECT_EQ(lido.Det.Count(), 2);
    EXPECT_EQ(lido.signature.DigestValue, "ZGln");
    EXPECT_EQ(lido.GerarXML(false), primeiro);
}
