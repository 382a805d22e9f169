#include "cfe/CFe.h"
#include "cfe/CFeR.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

using namespace orv;

namespace {

std::string dados(const std::string& nome) { return std::string(ORVANE_TEST_DATA) + "/" + nome; }

std::string lerBytes(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

const std::string chave = "35240311111111000191590000123450001234567893";

// An authorised document with the given version and body after ide.
std::string autorizado(const std::string& versao, const std::string& corpo,
                       const std::string& ide = "<nserieSAT>900001234</nserieSAT>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe" + chave +
           "\" versao=\"" + versao + "\"><ide>" + ide + "</ide>" + corpo + "</infCFe></CFe>";
}

} // namespace

TEST(LeitorCFe, ReadsEveryGroupOfAnAuthorisedCoupon) {
    TCFe cfe;
    const std::string bytes = lerBytes(dados("cfe_autorizado.xml"));
    cfe.SetXMLString(bytes);
    EXPECT_EQ(cfe.XMLOriginal(), bytes);

    EXPECT_EQ(cfe.infCFe.ID, chave);
    EXPECT_EQ(cfe.infCFe.versao, Currency::deTexto("0.08"));
    EXPECT_EQ(cfe.infCFe.versaoDadosEnt, Currency::deTexto("0.08"));
    EXPECT_EQ(cfe.infCFe.versaoSB, 10000);

    const Tide& ide = cfe.ide;
    EXPECT_EQ(ide.cUF, 35);
    EXPECT_EQ(ide.cNF, 123456);
    EXPECT_EQ(ide.modelo, 59);
    EXPECT_EQ(ide.nserieSAT, 900001234);
    EXPECT_EQ(ide.nCFe, 123);
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss", ide.momentoEmissao()), "2024-03-05 14:30:15");
    EXPECT_EQ(ide.cDV, 3);
    EXPECT_EQ(ide.tpAmb, TTipoAmbiente::taHomologacao);
    EXPECT_EQ(ide.CNPJ, "16716114000172");
    EXPECT_EQ(ide.assinaturaQRCODE, std::string(344, 'Q'));
    EXPECT_EQ(ide.numeroCaixa, 1);

    EXPECT_EQ(cfe.Emit.CNPJ, "11111111000191");
    EXPECT_EQ(cfe.Emit.xNome, "Padaria São João Ltda");  // UTF-8 declared and kept
    EXPECT_EQ(cfe.Emit.xFant, "PADARIA & CIA");
    EXPECT_EQ(cfe.Emit.EnderEmit.nro, "007");
    EXPECT_EQ(cfe.Emit.EnderEmit.CEP, 1001000);
    EXPECT_EQ(cfe.Emit.IM, "12345");
    EXPECT_EQ(cfe.Emit.cRegTrib, TRegTrib::RTRegimeNormal);
    EXPECT_EQ(cfe.Emit.cRegTribISSQN, TRegTribISSQN::RTISSMicroempresaMunicipal);
    EXPECT_EQ(cfe.Emit.indRatISSQN, TindRatISSQN::irNao);
    EXPECT_EQ(cfe.Dest.CNPJCPF, "12345678909");
    EXPECT_EQ(cfe.Dest.xNome, "Maria da Silva");
    EXPECT_EQ(cfe.Entrega.UF, "SP");
    EXPECT_EQ(cfe.Entrega.xCpl, "");

    ASSERT_EQ(cfe.Det.Count(), 3);
    const TDetCollectionItem& i1 = cfe.Det[0];
    EXPECT_EQ(i1.nItem, 1);
    EXPECT_EQ(i1.infAdProd, "Assado no dia");
    EXPECT_EQ(i1.Prod.CEST, "1706200");
    EXPECT_DOUBLE_EQ(i1.Prod.qCom, 1.5);
    EXPECT_DOUBLE_EQ(i1.Prod.vUnCom, 12.99);
    EXPECT_EQ(i1.Prod.vProd, Currency::deTexto("19.49"));
    EXPECT_EQ(i1.Prod.vRatDesc, Currency(1));
    ASSERT_EQ(i1.Prod.obsFiscoDet.Count(), 2);
    EXPECT_EQ(i1.Prod.obsFiscoDet[0].xCampoDet, "Cod. Produto ANVISA");
    EXPECT_EQ(i1.Prod.obsFiscoDet[1].xTextoDet, "L-9");
    EXPECT_EQ(i1.Imposto.vItem12741, Currency::deTexto("2.5"));
    EXPECT_EQ(i1.Imposto.ICMS.CST, TCSTIcms::cst00);
    EXPECT_EQ(i1.Imposto.ICMS.CSOSN, TCSOSNIcms::csosnVazio);
    EXPECT_EQ(i1.Imposto.ICMS.vICMS, Currency::deTexto("3.42"));
    EXPECT_EQ(i1.Imposto.PIS.pPIS, Currency::deTexto("0.0165"));
    EXPECT_EQ(i1.Imposto.COFINS.vCOFINS, Currency::deTexto("1.44"));

    const TDetCollectionItem& i2 = cfe.Det[1];
    EXPECT_TRUE(i2.Prod.EhCombustivel);
    EXPECT_EQ(i2.Prod.indRegra, TindRegra::irTruncamento);
    EXPECT_EQ(i2.Imposto.ICMS.CST, TCSTIcms::cst60);
    EXPECT_EQ(i2.Imposto.PIS.CST, TCstPis::pis99);
    EXPECT_EQ(i2.Imposto.PIS.qBCProd, Currency(10));
    EXPECT_EQ(i2.Imposto.PISST.vBc, Currency(10));
    EXPECT_EQ(i2.Imposto.PISST.pPis, Currency::deTexto("0.01"));
    EXPECT_EQ(i2.Imposto.COFINSST.vAliqProd, Currency::deTexto("0.05"));

    const TISSQN& iss = cfe.Det[2].Imposto.ISSQN;
    EXPECT_EQ(iss.cMunFG, 3550308);
    EXPECT_EQ(iss.cNatOp, 1);
    EXPECT_EQ(iss.vAliq, Currency(2));
    EXPECT_EQ(iss.cServTribMun, "12345678901234567890");
    EXPECT_EQ(iss.indIncFisc, TindIncentivo::iiNao);

    EXPECT_EQ(cfe.Total.vCFe, Currency::deTexto("77.99"));
    EXPECT_EQ(cfe.Total.ICMSTot.vCOFINSST, Currency::deTexto("0.5"));
    EXPECT_EQ(cfe.Total.ISSQNtot.vPIS, Currency(1));
    EXPECT_EQ(cfe.Total.ISSQNtot.vPISST, Currency(2));
    EXPECT_EQ(cfe.Total.ISSQNtot.vCOFINS, Currency(3));
    EXPECT_EQ(cfe.Total.ISSQNtot.vCOFINSST, Currency(4));
    EXPECT_EQ(cfe.Total.DescAcrEntr.vDescSubtot, Currency(1));
    EXPECT_EQ(cfe.Total.vCFeLei12741, Currency::deTexto("2.5"));

    ASSERT_EQ(cfe.Pagto.Count(), 2);
    EXPECT_EQ(cfe.Pagto[1].cMP, TCodigoMP::mpCartaodeCredito);
    EXPECT_EQ(cfe.Pagto[1].cAdmC, 5);
    EXPECT_EQ(cfe.Pagto.vTroco, Currency::deTexto("2.01"));
    EXPECT_EQ(cfe.InfAdic.infCpl, "Obrigado pela preferencia");
    // Layout 0.08: the observations stand at document level only.
    EXPECT_EQ(cfe.InfAdic.obsFisco.Count(), 0);
    ASSERT_EQ(cfe.obsFisco.Count(), 2);
    EXPECT_EQ(cfe.obsFisco[1].xCampo, "xCampo2");
    EXPECT_EQ(cfe.obsFisco[1].xTexto, "xTexto2");

    EXPECT_EQ(cfe.signature.URI, "#CFe" + chave);
    EXPECT_EQ(cfe.signature.DigestValue, "ZGlnZXN0ZGlnZXN0ZGlnZXN0ZGlnZXN0ZGlnZXN0MTI=");
    EXPECT_EQ(cfe.signature.X509Certificate, "TUlJQ2VydGlmaWNhZG9GaWN0aWNpbw==");
}

TEST(LeitorCFe, VersionAndQuoteRules) {
    {   // Lower-case prefix of the key, no tpAmb: production, although a reset model says test.
        TCFe cfe;
        cfe.SetXMLString(autorizado("0.07", ""));
        EXPECT_EQ(cfe.ide.tpAmb, TTipoAmbiente::taProducao);
        std::string minusc = autorizado("0.07", "");
        minusc.replace(minusc.find("Id=\"CFe"), 7, "Id=\"cfe");
        cfe.SetXMLString(minusc);
        EXPECT_EQ(cfe.infCFe.ID, chave);
    }
    {   // Apostrophes around every attribute value.
        TCFe cfe;
        cfe.SetXMLString("<CFe><infCFe Id='CFe" + chave + "' versao='0.08'><ide><nserieSAT>1"
                         "</nserieSAT></ide><det nItem='1'><prod><cProd>A</cProd></prod></det>"
                         "<det nItem='2'><prod><cProd>B</cProd></prod><imposto><ICMS><ICMSSN102>"
                         "<Orig>0</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS></imposto></det>"
                         "<total/><obsFisco xCampo='c'><xTexto>t</xTexto></obsFisco></infCFe></CFe>");
        EXPECT_EQ(cfe.infCFe.ID, chave);
        EXPECT_EQ(cfe.infCFe.versao, Currency::deTexto("0.08"));
        ASSERT_EQ(cfe.Det.Count(), 2);
        EXPECT_EQ(cfe.Det[1].nItem, 2);
        EXPECT_EQ(cfe.Det[1].Prod.cProd, "B");
        EXPECT_EQ(cfe.Det[1].Imposto.ICMS.CSOSN, TCSOSNIcms::csosn102);
        ASSERT_EQ(cfe.obsFisco.Count(), 1);
        EXPECT_EQ(cfe.obsFisco[0].xCampo, "c");
    }
    {   // Layout 0.07: observations inside infAdic go to both lists; no cAut, no CEST read.
        TCFe cfe;
        cfe.SetXMLString(autorizado(
            "0.07",
            "<det nItem=\"1\"><prod><CEST>1234567</CEST></prod></det><total></total><pgto><MP>"
            "<cMP>04</cMP><vMP>1.00</vMP><cAut>99</cAut></MP></pgto><infAdic><infCpl>x</infCpl>"
            "<obsFisco xCampo=\"a\"><xTexto>1</xTexto></obsFisco><obsFisco xCampo=\"b\"><xTexto>2"
            "</xTexto></obsFisco></infAdic>"));
        ASSERT_EQ(cfe.InfAdic.obsFisco.Count(), 2);
        ASSERT_EQ(cfe.obsFisco.Count(), 2);
        EXPECT_EQ(cfe.InfAdic.obsFisco[1].xCampo, "b");
        EXPECT_EQ(cfe.obsFisco[1].xTexto, "2");
        EXPECT_EQ(cfe.Det[0].Prod.CEST, "");
        ASSERT_EQ(cfe.Pagto.Count(), 1);
        EXPECT_EQ(cfe.Pagto[0].cMP, TCodigoMP::mpCartaodeDebito);
        EXPECT_EQ(cfe.Pagto[0].cAut, "");
    }
    {   // Item numbers quoted differently from the version attribute are still found.
        TCFe cfe;
        cfe.SetXMLString("<CFe><infCFe versao='0.08'><det nItem=\"1\"><prod><cProd>A</cProd>"
                         "</prod></det><det nItem='2'><prod><cProd>B</cProd></prod></det><total/>"
                         "</infCFe></CFe>");
        ASSERT_EQ(cfe.Det.Count(), 2);
        EXPECT_EQ(cfe.Det[0].Prod.cProd, "A");
        EXPECT_EQ(cfe.Det[1].nItem, 2);
        EXPECT_EQ(cfe.Det[1].Prod.cProd, "B");
    }
    {   // A fuel item of layout 0.10 with its ANP code.
        TCFe cfe;
        cfe.SetXMLString(autorizado("0.10", "<det nItem=\"1\"><prod><indRegra>T</indRegra>"
                                            "<cANP>210203001</cANP></prod></det><total/>"));
        ASSERT_EQ(cfe.Det.Count(), 1);
        EXPECT_TRUE(cfe.Det[0].Prod.EhCombustivel);
        EXPECT_EQ(cfe.Det[0].Prod.cANP, 210203001);
    }
    {   // Layout 0.09 reads cAut.
        TCFe cfe;
        cfe.SetXMLString(autorizado("0.09", "<pgto><MP><cMP>03</cMP><cAut>99</cAut></MP></pgto>"));
        ASSERT_EQ(cfe.Pagto.Count(), 1);
        EXPECT_EQ(cfe.Pagto[0].cAut, "99");
    }
}

TEST(LeitorCFe, Utf8OnlyWhenDeclared) {
    const std::string corpo = "<CFe><infCFe><emit><xNome>A\xC3\xA7\xC3\xA3o</xNome></emit></infCFe></CFe>";
    TCFe cfe;
    cfe.SetXMLString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + corpo);
    EXPECT_EQ(cfe.Emit.xNome, "Ação");
    cfe.SetXMLString(corpo);  // the same bytes taken as Windows-1252 characters
    EXPECT_EQ(cfe.Emit.xNome, "AÃ§Ã£o");
    // Declared UTF-8 but not valid UTF-8: read as Windows-1252.
    cfe.SetXMLString("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe><emit><xNome>A\xE7\xE3o"
                     "</xNome></emit></infCFe></CFe>");
    EXPECT_EQ(cfe.Emit.xNome, "Ação");
}

TEST(LeitorCFe, MalformedInputRaisesAndKeepsTheStoredXml) {
    struct Caso { const char* nome; std::string texto; const char* trecho; };
    const Caso casos[] = {
        {"data", autorizado("0.08", "", "<nserieSAT>1</nserieSAT><dEmi>2024-03-05</dEmi>"), "dEmi"},
        {"hora", autorizado("0.08", "", "<nserieSAT>1</nserieSAT><hEmi>25:00:00</hEmi>"), "hEmi"},
        {"item", autorizado("0.08", "<det nItem=\"x1\"><prod></prod></det><total/>"), "x1"},
    };
    for (const Caso& c : casos) {
        TCFe cfe;
        const std::string bom = autorizado("0.08", "");
        cfe.SetXMLString(bom);
        try {
            cfe.SetXMLString(c.texto);
            ADD_FAILURE() << c.nome << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.trecho), std::string::npos) << e.what();
        }
        EXPECT_EQ(cfe.XMLOriginal(), bom) << c.nome;
    }
}

TEST(LeitorCFe, EntryDocumentMergesIntoTheModel) {
    TCFe cfe;
    cfe.ide.CNPJ = "16716114000172";
    cfe.ide.numeroCaixa = 4;
    cfe.Emit.xNome = "Loja";
    cfe.Det.New().Prod.cProd = "ANTIGO";
    cfe.Pagto.New().vMP = 1;
    cfe.SetXMLString("<CFe><infCFe versaoDadosEnt=\"0.08\"><emit><CNPJ>11111111000191</CNPJ>"
                     "</emit><det nItem=\"1\"><prod><cProd>NOVO</cProd></prod></det><total></total>"
                     "<pgto><MP><cMP>02</cMP><vMP>3.00</vMP></MP></pgto></infCFe></CFe>");
    // Nothing cleared: the header stays, what the text carries is added or overwritten.
    EXPECT_EQ(cfe.ide.CNPJ, "16716114000172");
    EXPECT_EQ(cfe.Emit.xNome, "Loja");
    EXPECT_EQ(cfe.Emit.CNPJ, "11111111000191");
    EXPECT_EQ(cfe.infCFe.versaoDadosEnt, Currency::deTexto("0.08"));
    // Each item and payment read lands in the one appended for it.
    ASSERT_EQ(cfe.Det.Count(), 2);
    EXPECT_EQ(cfe.Det[0].Prod.cProd, "ANTIGO");
    EXPECT_EQ(cfe.Det[1].Prod.cProd, "NOVO");
    EXPECT_EQ(cfe.Det[1].nItem, 1);
    ASSERT_EQ(cfe.Pagto.Count(), 2);
    EXPECT_EQ(cfe.Pagto[0].vMP, Currency(1));
    EXPECT_EQ(cfe.Pagto[1].cMP, TCodigoMP::mpCheque);
}

TEST(LeitorCFe, ManyItemsAreReadInOrder) {
    std::string dets;
    for (int i = 1; i <= 500; ++i)
        dets += "<det nItem=\"" + std::to_string(i) + "\"><prod><cProd>" + std::to_string(i * 7) +
                "</cProd><qCom>1.0000</qCom></prod><imposto><ICMS><ICMS00><CST>00</CST></ICMS00>"
                "</ICMS></imposto></det>";
    TCFe cfe;
    cfe.SetXMLString(autorizado("0.08", dets + "<total><vCFe>1.00</vCFe></total>"));
    ASSERT_EQ(cfe.Det.Count(), 500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(cfe.Det[i].nItem, i + 1);
        ASSERT_EQ(cfe.Det[i].Prod.cProd, std::to_string((i + 1) * 7));
    }
    EXPECT_EQ(cfe.Total.vCFe, Currency(1));
}

TEST(LeitorCFe, LoadFromFileJoinsLinesAndHonoursTheByteOrderMark) {
    const auto pasta = std::filesystem::temp_directory_path() /
                       ("orv_leitor_" + std::to_string(::getpid()));
    std::filesystem::create_directories(pasta);
    const std::string caminho = (pasta / "c.xml").string();
    {
        std::ofstream f(caminho, std::ios::binary);
        f << "\xEF\xBB\xBF<CFe><infCFe>\n<emit><xNome>Ca\xC3\xA7\xC3\xA3o</xNome></emit>\r\n"
             "</infCFe></CFe>";
    }
    TCFe cfe;
    EXPECT_TRUE(cfe.LoadFromFile(caminho));
    EXPECT_EQ(cfe.NomeArquivo, caminho);
    EXPECT_EQ(cfe.Emit.xNome, "Cação");
    // The text comes back as 8-bit bytes, each line ended with CR LF.
    EXPECT_EQ(cfe.XMLOriginal(),
              "<CFe><infCFe>\r\n<emit><xNome>Ca\xE7\xE3o</xNome></emit>\r\n</infCFe></CFe>\r\n");
    EXPECT_THROW(cfe.LoadFromFile((pasta / "nao_existe.xml").string()), std::runtime_error);
    std::filesystem::remove_all(pasta);
}
