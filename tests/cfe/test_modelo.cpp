#include "cfe/CFe.h"
#include "cfe/Conversao.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orv;

TEST(ModeloCFe, NewObjectHoldsTheDefaults) {
    TCFe cfe;
    EXPECT_TRUE(cfe.RetirarAcentos);
    EXPECT_TRUE(cfe.RetirarEspacos);
    EXPECT_FALSE(cfe.IdentarXML);
    EXPECT_EQ(cfe.TamanhoIdentacao, 3);
    EXPECT_TRUE(cfe.AjustarTagNro);
    EXPECT_EQ(cfe.ide.tpAmb, TTipoAmbiente::taHomologacao);
    EXPECT_EQ(cfe.Emit.cRegTrib, TRegTrib::RTSimplesNacional);
    EXPECT_EQ(cfe.Emit.cRegTribISSQN, TRegTribISSQN::RTISSNenhum);
    EXPECT_EQ(cfe.Emit.indRatISSQN, TindRatISSQN::irSim);
    EXPECT_EQ(cfe.XMLOriginal(), "");

    TDetCollectionItem& item = cfe.Det.New();
    EXPECT_EQ(cfe.Det.Count(), 1);
    EXPECT_EQ(&item, &cfe.Det.Items(0));
    EXPECT_EQ(item.Prod.indRegra, TindRegra::irArredondamento);
    EXPECT_FALSE(item.Prod.EhCombustivel);
    EXPECT_EQ(item.Imposto.ICMS.orig, TOrigemMercadoria::oeNacional);
    EXPECT_EQ(item.Imposto.ICMS.CST, TCSTIcms::cst00);
    EXPECT_EQ(item.Imposto.ICMS.CSOSN, TCSOSNIcms::csosnVazio);
    EXPECT_EQ(item.Imposto.PIS.CST, TCstPis::pis01);
    EXPECT_EQ(item.Imposto.COFINS.CST, TCstCofins::cof01);
    EXPECT_EQ(item.Imposto.ISSQN.indIncFisc, TindIncentivo::iiNao);
    EXPECT_EQ(cfe.Pagto.Add().cMP, TCodigoMP::mpDinheiro);
    EXPECT_THROW(cfe.Det.Items(5), std::out_of_range);
}

TEST(ModeloCFe, ClearSessaoKeepsTheInstallationHeader) {
    TCFe cfe;
    cfe.infCFe.versaoDadosEnt = Currency::deTexto("0.08");
    cfe.ide.CNPJ = "11111111111111";
    cfe.ide.signAC = "ASSINATURA";
    cfe.ide.numeroCaixa = 7;
    cfe.ide.tpAmb = TTipoAmbiente::taProducao;
    cfe.Emit.CNPJ = "22222222222222";
    cfe.Emit.IE = "123456789012";
    cfe.Emit.cRegTrib = TRegTrib::RTRegimeNormal;
    cfe.ide.nCFe = 123;
    cfe.ide.setMomentoEmissao(codificarDataHora(2024, 3, 5, 14, 0, 0));
    cfe.ide.assinaturaQRCODE = "QR";
    cfe.Dest.CNPJCPF = "12345678909";
    cfe.Entrega.UF = "SP";
    cfe.Det.New().Prod.cProd = "1";
    cfe.Pagto.New().vMP = 10;
    cfe.Pagto.vTroco = 2;
    cfe.Total.vCFe = 10;
    cfe.InfAdic.infCpl = "x";
    cfe.InfAdic.obsFisco.New();
    cfe.obsFisco.New();
    cfe.signature.DigestValue = "d";
    cfe.NomeArquivo = "a.xml";

    cfe.ClearSessao();
    EXPECT_EQ(cfe.infCFe.versaoDadosEnt, Currency::deTexto("0.08"));
    EXPECT_EQ(cfe.ide.CNPJ, "11111111111111");
    EXPECT_EQ(cfe.ide.signAC, "ASSINATURA");
    EXPECT_EQ(cfe.ide.numeroCaixa, 7);
    EXPECT_EQ(cfe.ide.tpAmb, TTipoAmbiente::taProducao);
    EXPECT_EQ(cfe.Emit.CNPJ, "22222222222222");
    EXPECT_EQ(cfe.Emit.IE, "123456789012");
    EXPECT_EQ(cfe.Emit.cRegTrib, TRegTrib::RTRegimeNormal);
    EXPECT_EQ(cfe.ide.nCFe, 0);
    EXPECT_EQ(cfe.ide.momentoEmissao(), 0.0);
    EXPECT_EQ(cfe.ide.assinaturaQRCODE, "");
    EXPECT_EQ(cfe.Dest.CNPJCPF, "");
    EXPECT_EQ(cfe.Entrega.UF, "");
    EXPECT_EQ(cfe.Det.Count(), 0);
    EXPECT_EQ(cfe.Pagto.Count(), 0);
    EXPECT_TRUE(cfe.Pagto.vTroco.ehZero());
    EXPECT_TRUE(cfe.Total.vCFe.ehZero());
    EXPECT_EQ(cfe.InfAdic.infCpl, "");
    EXPECT_EQ(cfe.InfAdic.obsFisco.Count(), 0);
    EXPECT_EQ(cfe.obsFisco.Count(), 0);
    EXPECT_EQ(cfe.signature.DigestValue, "");
    EXPECT_EQ(cfe.NomeArquivo, "");

    cfe.Clear();
    EXPECT_EQ(cfe.ide.CNPJ, "");
    EXPECT_EQ(cfe.ide.numeroCaixa, 0);
    EXPECT_EQ(cfe.ide.tpAmb, TTipoAmbiente::taHomologacao);
    EXPECT_EQ(cfe.Emit.CNPJ, "");
    EXPECT_EQ(cfe.Emit.cRegTrib, TRegTrib::RTSimplesNacional);
    EXPECT_TRUE(cfe.infCFe.versaoDadosEnt.ehZero());
}

TEST(ModeloCFe, EmissionDateAndTimeAreHalvesOfOneMoment) {
    Tide ide;
    ide.setDEmi(codificarDataHora(2024, 3, 5, 14, 0, 0));
    ide.setHEmi(codificarDataHora(2001, 1, 1, 9, 30, 15));
    EXPECT_DOUBLE_EQ(ide.dEmi(), codificarData(2024, 3, 5));
    EXPECT_EQ(formatarDataHora("hh:nn:ss", ide.hEmi()), "09:30:15");
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss", ide.momentoEmissao()),
              "2024-03-05 09:30:15");
    // The other order gives the same moment.
    Tide outro;
    outro.setHEmi(codificarHora(9, 30, 15));
    outro.setDEmi(codificarData(2024, 3, 5));
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss", outro.momentoEmissao()),
              "2024-03-05 09:30:15");
}

TEST(ModeloCFe, IssqnTotalsAreSeparateValues) {
    TISSQNtot t;
    t.vPIS = 1;
    t.vPISST = 2;
    t.vCOFINS = 3;
    t.vCOFINSST = 4;
    EXPECT_EQ(t.vPIS, Currency(1));
    EXPECT_EQ(t.vPISST, Currency(2));
    EXPECT_EQ(t.vCOFINS, Currency(3));
    EXPECT_EQ(t.vCOFINSST, Currency(4));
}

TEST(ModeloCFe, SignatureAssignCopiesTheFourTexts) {
    TSignature a, b;
    a.URI = "u";
    a.DigestValue = "d";
    a.SignatureValue = "s";
    a.X509Certificate = "x";
    b.Assign(a);
    EXPECT_EQ(b.URI + b.DigestValue + b.SignatureValue + b.X509Certificate, "udsx");
    b.Clear();
    EXPECT_EQ(b.URI + b.DigestValue + b.SignatureValue + b.X509Certificate, "");
}

// Enumeration texts: the order-dependent rows and the failure flag.
TEST(Conversao, ToTextTakesTheMembersRow) {
    EXPECT_EQ(paraTexto(TRegTrib::RTSimplesNacional), "1");
    EXPECT_EQ(paraTexto(TRegTrib::RTRegimeNormal), "3");
    struct Caso { TCSTIcms cst; const char* texto; };
    const Caso casos[] = {
        {TCSTIcms::cstVazio, ""},     {TCSTIcms::cst00, "00"},     {TCSTIcms::cst90, "90"},
        {TCSTIcms::cstICMSOutraUF, "90"}, {TCSTIcms::cstICMSSN, "SN"}, {TCSTIcms::cstPart10, "10"},
        {TCSTIcms::cstPart90, "90"},  {TCSTIcms::cstRep41, "41"},  {TCSTIcms::cstRep60, "60"},
        {TCSTIcms::cst61, "61"},
        // Routed to ICMS00 by the writer: two digits, never an empty CST element.
        {TCSTIcms::cst01, "01"},      {TCSTIcms::cst12, "12"},     {TCSTIcms::cst74, "74"},
    };
    for (const Caso& c : casos) EXPECT_EQ(paraTexto(c.cst), c.texto) << c.texto;
    EXPECT_EQ(paraTexto(TOrigemMercadoria::oeVazio), "");
    EXPECT_EQ(paraTexto(TCstPis::pis49), "49");
    EXPECT_EQ(paraTexto(TCstCofins::cof99), "99");
    EXPECT_EQ(paraTexto(TCodigoMP::mpSemPagamento), "90");
    EXPECT_EQ(paraTexto(TCSOSNIcms::csosn900), "900");
}

TEST(Conversao, FromTextLastRowWinsAndFailureGivesTheFirstRow) {
    struct Caso { const char* texto; TCSTIcms cst; bool ok; };
    const Caso casos[] = {
        {"91", TCSTIcms::cstICMSOutraUF, true}, {"10", TCSTIcms::cst10, true},
        {"90", TCSTIcms::cst90, true},          {"10PART", TCSTIcms::cstPart10, true},
        {"60rep", TCSTIcms::cstRep60, true},    {"sn", TCSTIcms::cstICMSSN, true},
        {"01", TCSTIcms::cst01, true},          {"", TCSTIcms::cstVazio, true},
        {"99", TCSTIcms::cstVazio, false},
    };
    for (const Caso& c : casos) {
        bool ok = !c.ok;
        EXPECT_EQ(deTexto<TCSTIcms>(c.texto, ok), c.cst) << c.texto;
        EXPECT_EQ(ok, c.ok) << c.texto;
    }
    EXPECT_EQ(paraTexto(deTexto<TCSTIcms>("91")), "90");

    bool ok = true;
    EXPECT_EQ(deTexto<TCodigoMP>("x", ok), TCodigoMP::mpDinheiro);
    EXPECT_FALSE(ok);
    EXPECT_EQ(deTexto<TCodigoMP>("99", ok), TCodigoMP::mpOutros);
    EXPECT_TRUE(ok);
    EXPECT_EQ(deTexto<TindRatISSQN>("s"), TindRatISSQN::irSim);
    EXPECT_EQ(deTexto<TindRatISSQN>("n"), TindRatISSQN::irNao);
    EXPECT_EQ(deTexto<TRegTrib>("0"), TRegTrib::RTRegimeNormal);
    EXPECT_EQ(deTexto<TRegTrib>("3"), TRegTrib::RTRegimeNormal);
    EXPECT_EQ(deTexto<TRegTrib>("1"), TRegTrib::RTSimplesNacional);
    EXPECT_EQ(deTexto<TRegTrib>("9", ok), TRegTrib::RTRegimeNormal);
    EXPECT_FALSE(ok);
    EXPECT_EQ(deTexto<TTipoAmbiente>("7", ok), TTipoAmbiente::taProducao);
    EXPECT_FALSE(ok);
    EXPECT_EQ(deTexto<TOrigemMercadoria>(""), TOrigemMercadoria::oeVazio);
    EXPECT_EQ(deTexto<TCstPis>("75"), TCstPis::pis75);
    EXPECT_EQ(deTexto<TCstCofins>("10", ok), TCstCofins::cof01);
    EXPECT_FALSE(ok);
}

TEST(Conversao, EveryMemberWithATextReadsBack) {
    // Except the ICMS members that write as a plain code, each text read back gives its member.
    for (int i = 0; i <= static_cast<int>(TCstPis::pis99); ++i)
        EXPECT_EQ(deTexto<TCstPis>(paraTexto(static_cast<TCstPis>(i))), static_cast<TCstPis>(i));
    for (int i = 0; i <= static_cast<int>(TCodigoMP::mpOutros); ++i)
        EXPECT_EQ(deTexto<TCodigoMP>(paraTexto(static_cast<TCodigoMP>(i))),
                  static_cast<TCodigoMP>(i));
    for (int i = 0; i <= static_cast<int>(TCSOSNIcms::csosn900); ++i)
        EXPECT_EQ(deTexto<TCSOSNIcms>(paraTexto(static_cast<TCSOSNIcms>(i))),
                  static_cast<TCSOSNIcms>(i));
    for (int i = 0; i <= static_cast<int>(TOrigemMercadoria::oeVazio); ++i)
        EXPECT_EQ(deTexto<TOrigemMercadoria>(paraTexto(static_cast<TOrigemMercadoria>(i))),
                  static_cast<TOrigemMercadoria>(i));
}
