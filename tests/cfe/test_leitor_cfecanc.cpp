#include "cfe/CFeCanc.h"
#include "cfe/CFeCancR.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

using namespace orv;

namespace {
std::string lerBytes(const std::string& nome) {
    std::ifstream f(std::string(ORVANE_TEST_DATA) + "/" + nome, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
const std::string chaveVenda = "35240311111111000191590000123450001234567893";
const std::string chaveCanc = "35240311111111000191590000123460001234567810";
} // namespace

TEST(LeitorCFeCanc, ReadsAnAuthorisedCancellation) {
    TCFeCanc c;
    c.ide.cUF = 99;  // reading always starts from a clean model
    const std::string bytes = lerBytes("canc_autorizado.xml");
    c.SetXMLString(bytes);
    EXPECT_EQ(c.XMLOriginal(), bytes);
    EXPECT_EQ(c.infCFe.ID, chaveCanc);
    EXPECT_EQ(c.infCFe.chCanc, "CFe" + chaveVenda);
    EXPECT_DOUBLE_EQ(c.infCFe.versao, 0.08);
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss", c.infCFe.momentoEmissao()),
              "2024-03-05 15:00:00");
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss", c.ide.momentoEmissao()),
              "2024-03-05 14:30:15");
    EXPECT_EQ(c.ide.cUF, 35);
    EXPECT_EQ(c.ide.cNF, 654321);
    EXPECT_EQ(c.ide.nCFe, 124);
    EXPECT_EQ(c.ide.CNPJ, "16716114000172");
    EXPECT_EQ(c.ide.signAC, "SGR-SAT");
    EXPECT_EQ(c.ide.numeroCaixa, 2);
    EXPECT_EQ(c.Emit.xNome, "Padaria São João");
    EXPECT_EQ(c.Emit.EnderEmit.CEP, 1001000);
    EXPECT_EQ(c.Dest.CNPJCPF, "12345678909");
    EXPECT_EQ(c.Total.vCFe, Currency::deTexto("77.99"));
    ASSERT_EQ(c.InfAdic.obsFisco.Count(), 1);
    EXPECT_EQ(c.InfAdic.obsFisco[0].xCampo, "a");
    EXPECT_EQ(c.signature.URI, "#CFe" + chaveCanc);
    EXPECT_EQ(c.signature.SignatureValue, "c2ln");
}

TEST(LeitorCFeCanc, MissingVersionAndBadDates) {
    TCFeCanc c;
    c.SetXMLString("<CFeCanc><infCFe chCanc=\"CFe" + chaveVenda + "\"><ide></ide></infCFe></CFeCanc>");
    EXPECT_EQ(c.infCFe.versao, 0.0);
    EXPECT_EQ(c.infCFe.ID, "");
    EXPECT_EQ(c.infCFe.chCanc, "CFe" + chaveVenda);

    const std::string antes = c.XMLOriginal();
    EXPECT_THROW(c.SetXMLString("<CFeCanc><infCFe><ide><dEmi>2024013</dEmi></ide></infCFe></CFeCanc>"),
                 std::runtime_error);
    EXPECT_EQ(c.XMLOriginal(), antes);
}

TEST(CFe2CFeCanc, CopiesWhatTheRequestNeeds) {
    TCFe cfe;
    cfe.infCFe.versao = Currency::deTexto("0.07");
    cfe.infCFe.ID = chaveVenda;
    cfe.ide.setMomentoEmissao(codificarDataHora(2024, 3, 5, 14, 30, 15));
    cfe.ide.CNPJ = "16716114000172";
    cfe.ide.signAC = "S";
    cfe.ide.numeroCaixa = 2;
    cfe.ide.nCFe = 10;
    cfe.Dest.CNPJCPF = "12345678909";
    cfe.Emit.CNPJ = "11111111000191";

    TCFeCanc canc;
    canc.ide.nCFe = 5;
    CFe2CFeCanc(cfe, canc);
    EXPECT_DOUBLE_EQ(canc.infCFe.versao, 0.07);
    EXPECT_EQ(canc.infCFe.chCanc, "CFe" + chaveVenda);
    EXPECT_EQ(canc.infCFe.momentoEmissao(), cfe.ide.momentoEmissao());
    EXPECT_EQ(canc.ide.CNPJ, "16716114000172");
    EXPECT_EQ(canc.ide.signAC, "S");
    EXPECT_EQ(canc.ide.numeroCaixa, 2);
    EXPECT_EQ(canc.ide.nCFe, 0);  // cleared first
    EXPECT_EQ(canc.Dest.CNPJCPF, "12345678909");
    EXPECT_EQ(canc.Emit.CNPJ, "");
}
