#include "cfe/Leitor.h"

#include "support/DataHora.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orv;

namespace {

TLeitor leitorDe(const std::string& grupo) {
    TLeitor l;
    l.Arquivo = grupo;
    l.Grupo = grupo;
    return l;
}

} // namespace

TEST(Leitor, ReadsTextsAndNumbers) {
    const struct {
        const char* grupo;
        TTipoCampo tipo;
        const char* tag;
        TVariante esperado;
    } casos[] = {
        {"<total><vCFe>1.234,50</vCFe></total>", tcDe2, "vCFe", 1234.5},
        {"<total><vCFe>1,234.56</vCFe></total>", tcDe2, "vCFe", 1234.56},
        {"<total><vCFe> 10.5 </vCFe></total>", tcDe2, "vCFe", 10.5},
        {"<total><vCFe>abc</vCFe></total>", tcDe2, "vCFe", 0.0},
        {"<total></total>", tcDe2, "vCFe", 0.0},
        {"<emit><xNome>A &amp;lt; B</xNome></emit>", tcStr, "xNome", "A < B"},
        {"<emit><xNome>&quot;x&quot; &#39;y&#39; &gt;</xNome></emit>", tcStr, "xNome", "\"x\" 'y' >"},
        {"<emit><xNome>Ol&#xE1;</xNome></emit>", tcStr, "xNome", "Olá"},
        {"<emit><xNome>&#xZZ;</xNome></emit>", tcStr, "xNome", "ZZ"},
        {"<emit><xNome><![CDATA[a &amp; <b>]]></xNome></emit>", tcStr, "xNome", "a &amp; <b>"},
        {"<emit><XNOME> caixa </XNOME></emit>", tcStr, "xNome", "caixa"},
        {"<emit><xNome a=\"1\">atributo</xNome></emit>", tcStr, "xNome", "atributo"},
        {"<emit><xNome/></emit>", tcStr, "xNome", ""},
        {"<ISSQN><cMunFG>-3550308</cMunFG></ISSQN>", tcInt, "cMunFG", 3550308LL},
        {"<ISSQN><cMunFG>x</cMunFG></ISSQN>", tcInt, "cMunFG", 0LL},
        {"<ISSQN></ISSQN>", tcInt, "cMunFG", 0LL},
        {"<prod><cANP>210203001</cANP></prod>", tcInt64, "cANP", 210203001LL},
        {"<prod><CFOP> 5102 </CFOP></prod>", tcEsp, "CFOP", "5102"},
    };
    for (const auto& c : casos) {
        TLeitor l = leitorDe(c.grupo);
        EXPECT_EQ(l.rCampo(c.tipo, c.tag), c.esperado) << c.grupo;
    }
}

TEST(Leitor, ReadsDatesAndTimes) {
    const struct {
        const char* conteudo;
        TTipoCampo tipo;
        TDateTime esperado;
    } casos[] = {
        {"20240305", tcDatCFe, codificarData(2024, 3, 5)},
        {"143015", tcHorCFe, codificarHora(14, 30, 15)},
        {"2024-03-05", tcDat, codificarData(2024, 3, 5)},
        {"14:30:15", tcHor, codificarHora(14, 30, 15)},
        {"05/03/2024", tcDatVcto, codificarData(2024, 3, 5)},
        {"05032024", tcDatBol, codificarData(2024, 3, 5)},
        {"20240305143015", tcDatHorCFe, codificarDataHora(2024, 3, 5, 14, 30, 15)},
        {"2024-03-05T14:30:15", tcDatHor, codificarDataHora(2024, 3, 5, 14, 30, 15)},
        {"05/03/2024 14:30", tcDatHor, codificarDataHora(2024, 3, 5, 14, 30, 0)},
        {"05/03/202414:30:15", tcDatHor, codificarDataHora(2024, 3, 5, 14, 30, 15)},
        {"", tcDatCFe, 0},
    };
    for (const auto& c : casos) {
        TLeitor l = leitorDe(std::string("<ide><d>") + c.conteudo + "</d></ide>");
        EXPECT_DOUBLE_EQ(l.rCampo(c.tipo, "d").paraDouble(), c.esperado) << c.conteudo;
    }
}

TEST(Leitor, MalformedDatesNameTheTagAndContent) {
    const struct {
        const char* conteudo;
        TTipoCampo tipo;
    } casos[] = {
        {"20241305", tcDatCFe}, {"2024O305", tcDatCFe}, {"2024035", tcDatCFe},
        {"256000", tcHorCFe},   {"2024-02-30", tcDat},  {"12:3x:00", tcHor},
    };
    for (const auto& c : casos) {
        TLeitor l = leitorDe(std::string("<ide><dEmi>") + c.conteudo + "</dEmi></ide>");
        try {
            l.rCampo(c.tipo, "dEmi");
            ADD_FAILURE() << "no error for " << c.conteudo;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("Data/hora inválida na tag <dEmi>: \"") + c.conteudo + "\"");
        }
    }
    TLeitor l = leitorDe("<ide><x>1</x></ide>");
    EXPECT_THROW(l.rCampo(tcBoolStr, "x"), std::runtime_error);
}

TEST(Leitor, StopTagAndIntegerDecimals) {
    TLeitor l = leitorDe("<g><CNPJ>1</CNPJ><det><CNPJ>2</CNPJ></det></g>");
    EXPECT_EQ(l.rCampo(tcStr, "CNPJ", "det").paraTexto(), "1");
    TLeitor m = leitorDe("<g><det></det><CNPJ>2</CNPJ></g>");
    EXPECT_EQ(m.rCampo(tcStr, "CNPJ", "det").paraTexto(), "");
    EXPECT_EQ(m.rCampoCNPJCPF(), "2");
    TLeitor cpf = leitorDe("<dest><CNPJ></CNPJ><CPF>11144477735</CPF></dest>");
    EXPECT_EQ(cpf.rCampoCNPJCPF(), "11144477735");

    TLeitor n = leitorDe("<t><v>12345</v></t>");
    n.FloatIsIntString = true;
    EXPECT_DOUBLE_EQ(n.rCampo(tcDe2, "v").paraDouble(), 123.45);
}

TEST(Leitor, ExtractsGroupsByLevelAndItem) {
    TLeitor l;
    l.Arquivo = "<CFe><infCFe versao=\"0.08\"><pgto><MP><cMP>01</cMP></MP>"
                "<MP><cMP>03</cMP></MP><vTroco>0.00</vTroco></pgto></infCFe></CFe>";
    EXPECT_EQ(l.rExtrai(1, "pgto"), "<pgto><MP><cMP>01</cMP></MP><MP><cMP>03</cMP></MP>"
                                   "<vTroco>0.00</vTroco></pgto>");
    EXPECT_EQ(l.rExtrai(2, "MP", "", 2), "<MP><cMP>03</cMP></MP>");
    EXPECT_EQ(l.rCampo(tcStr, "cMP").paraTexto(), "03");
    EXPECT_EQ(l.rExtrai(2, "MP", "", 3), "");
    EXPECT_EQ(l.Grupo, "");
    EXPECT_EQ(l.rCampo(tcStr, "cMP").paraTexto(), "");
    EXPECT_EQ(l.Nivel(1).substr(0, 6), "<pgto>");

    // Start tags with attributes, and a group missing altogether.
    EXPECT_EQ(l.rExtrai(1, "infCFe").substr(0, 28), "<infCFe versao=\"0.08\"><pgto>");
    EXPECT_EQ(l.rAtributo("versao").paraTexto(), "0.08");
    EXPECT_EQ(l.rExtrai(1, "dest"), "");

    TLeitor d;
    d.Arquivo = "Item <det nItem='2'><prod/></det>";
    EXPECT_EQ(d.rExtrai(1, "det nItem='2'", "det"), "<det nItem='2'><prod/></det>");
    EXPECT_THROW(d.rExtrai(11, "det"), std::out_of_range);
}

TEST(Leitor, ReadsAttributes) {
    TLeitor l = leitorDe("<infCFe versaoDadosEnt=\"0.08\" versao='0.07' Id=\"CFe123\">"
                         "<obsFisco xCampo=\"  a &amp; b\"><xTexto>t</xTexto></obsFisco>"
                         "<Reference URI=\"#x\"/></infCFe>");
    EXPECT_EQ(l.rAtributo("versao").paraTexto(), "0.07");
    EXPECT_EQ(l.rAtributo("versaoDadosEnt").paraTexto(), "0.08");
    EXPECT_EQ(l.rAtributo(" Id ").paraTexto(), "CFe123");
    EXPECT_EQ(l.rAtributo("xCampo").paraTexto(), "a & b");
    EXPECT_EQ(l.rAtributo("Reference URI=").paraTexto(), "#x");
    EXPECT_EQ(l.rAtributo("falta").paraTexto(), "");
    EXPECT_EQ(l.rAtributo("").paraTexto(), "");

    TLeitor t = leitorDe("<a n=\"1\"><b n=\"2\"/></a>");
    EXPECT_EQ(t.rAtributo("n", "<b").paraTexto(), "2");
}

TEST(Leitor, PosLastIsOneBased) {
    EXPECT_EQ(TLeitor::PosLast("ab", "xabyab"), 5);
    EXPECT_EQ(TLeitor::PosLast("z", "xabyab"), 0);
}

TEST(Leitor, LenientDecimals) {
    bool ok = true;
    EXPECT_DOUBLE_EQ(lerDecimal("-1.234.567,8"), -1234567.8);
    EXPECT_DOUBLE_EQ(lerDecimal("+3"), 3);
    EXPECT_DOUBLE_EQ(lerDecimal("1,5 kg", &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_DOUBLE_EQ(lerDecimal("", &ok), 0);
    EXPECT_FALSE(ok);
}
