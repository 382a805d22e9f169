#include "cfe/Gerador.h"

#include "support/DataHora.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace orv;

namespace {

// One element written by a fresh generator with default options.
std::string escrever(TTipoCampo tipo, int min, int max, int ocorr, const TVariante& v,
                     std::size_t* alertas = nullptr) {
    TGerador g;
    g.wCampo(tipo, "X01", "tag", min, max, ocorr, v);
    if (alertas) *alertas = g.ListaDeAlertas.size();
    return g.ArquivoFormatoXML;
}

struct CasoCampo {
    const char* nome;
    TTipoCampo tipo;
    int min, max, ocorr;
    TVariante valor;
    const char* esperado;
};

} // namespace

TEST(Gerador, FormatsEveryKind) {
    const TDateTime dt = codificarDataHora(2024, 3, 5, 14, 30, 15);
    const CasoCampo casos[] = {
        {"int padded to min", tcInt, 3, 3, 1, 1, "<tag>001</tag>"},
        {"required int zero", tcInt, 3, 3, 1, 0, "<tag>000</tag>"},
        {"optional int zero omitted", tcInt, 3, 3, 0, 0, ""},
        {"int from text", tcInt, 1, 9, 0, "42", "<tag>42</tag>"},
        {"int not a number", tcInt, 1, 9, 1, "abc", "<tag>0</tag>"},
        {"negative int pads after sign", tcInt, 4, 4, 1, -5, "<tag>-005</tag>"},
        {"int64", tcInt64, 9, 9, 0, 210203001LL, "<tag>210203001</tag>"},
        {"vAliq 5", tcDe2, 5, 5, 1, Currency(5), "<tag>005.00</tag>"},
        {"qCom 1.5", tcDe4, 5, 15, 1, 1.5, "<tag>1.5000</tag>"},
        {"optional zero decimal omitted", tcDe2, 3, 15, 0, Currency(), ""},
        {"required zero decimal", tcDe2, 3, 15, 1, Currency(), "<tag>0.00</tag>"},
        {"decimal from bad text", tcDe2, 1, 15, 1, "x", "<tag>0.00</tag>"},
        {"three decimals", tcDe3, 3, 15, 1, 5.499, "<tag>5.499</tag>"},
        {"ten decimals", tcDe10, 1, 20, 1, 0.1, "<tag>0.1000000000</tag>"},
        {"blank required str: short form", tcStr, 1, 10, 1, "  ", "<tag/>"},
        {"blank optional str omitted", tcStr, 1, 10, 0, "  ", ""},
        {"str trimmed", tcStr, 1, 10, 0, "  a b ", "<tag>a b</tag>"},
        {"numstr padded", tcNumStr, 6, 6, 1, "123", "<tag>000123</tag>"},
        {"esp keeps digits", tcEsp, 4, 4, 1, " 5102 ", "<tag>5102</tag>"},
        {"date", tcDat, 10, 10, 1, dt, "<tag>2024-03-05</tag>"},
        {"CFe date", tcDatCFe, 8, 8, 1, dt, "<tag>20240305</tag>"},
        {"date-time", tcDatHor, 1, 30, 1, dt, "<tag>2024-03-05T14:30:15</tag>"},
        {"CFe date-time", tcDatHorCFe, 14, 14, 1, dt, "<tag>20240305143015</tag>"},
        {"time", tcHor, 8, 8, 1, dt, "<tag>14:30:15</tag>"},
        {"CFe time", tcHorCFe, 6, 6, 1, dt, "<tag>143015</tag>"},
        {"due date", tcDatVcto, 10, 10, 1, dt, "<tag>05/03/2024</tag>"},
        {"zero date optional", tcDatCFe, 8, 8, 0, 0.0, ""},
        {"midnight optional time", tcHorCFe, 6, 6, 0, codificarData(2024, 3, 5), ""},
        {"zero date required", tcDatCFe, 8, 8, 1, 0.0, "<tag/>"},
        {"bool", tcBoolStr, 1, 5, 1, true, "<tag>true</tag>"},
        {"negative skipped", tcStr, 1, 10, -1, "x", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(escrever(c.tipo, c.min, c.max, c.ocorr, c.valor), c.esperado) << c.nome;
}

TEST(Gerador, RoundsDecimalsFromTheExactDoubleHalfAwayFromZero) {
    const struct {
        double v;
        int casas;
        const char* esperado;
    } casos[] = {
        {0.125, 2, "0.13"},  {1.125, 2, "1.13"},   {1.005, 2, "1.00"},  {2.675, 2, "2.67"},
        {5.495, 2, "5.50"},  {-0.125, 2, "-0.13"}, {-0.001, 2, "0.00"}, {9.995, 2, "9.99"},
        {99.999, 2, "100.00"}, {0.5, 0, "1"},      {1234567.891, 4, "1234567.8910"},
        {1e-9, 4, "0.0000"}, {0.00005, 4, "0.0001"}, {123456789012.345678, 2, "123456789012.35"},
    };
    for (const auto& c : casos) EXPECT_EQ(formatarDecimal(c.v, c.casas), c.esperado) << c.v;
    // Amounts go through the same double.
    EXPECT_EQ(escrever(tcDe2, 1, 15, 1, Currency::deTexto("1.005")), "<tag>1.00</tag>");
    EXPECT_EQ(escrever(tcDe2, 1, 15, 1, Currency::deTexto("-1234.5")), "<tag>-1234.50</tag>");
}

TEST(Gerador, DecimalTextIgnoresTheLocale) {
    const char* antes = std::setlocale(LC_ALL, nullptr);
    std::string anterior = antes ? antes : "C";
    bool virgula = false;
    for (const char* nome : {"pt_BR.UTF-8", "pt_BR.utf8", "de_DE.UTF-8"})
        if (std::setlocale(LC_ALL, nome)) {
            virgula = true;
            break;
        }
    if (virgula) {
        EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    }
    EXPECT_EQ(escrever(tcDe4, 5, 15, 1, 1.5), "<tag>1.5000</tag>");
    TVariante texto("2.5");
    EXPECT_DOUBLE_EQ(texto.paraDouble(), 2.5);
    std::setlocale(LC_ALL, anterior.c_str());
    if (!virgula) GTEST_SKIP() << "no comma-decimal locale installed";
}

TEST(Gerador, SuppressesDecimalsOfWholeValuesOnRequest) {
    TGerador g;
    g.Opcoes.SuprimirDecimais = true;
    g.wCampo(tcDe2, "", "a", 1, 15, 1, 5.0);
    g.wCampo(tcDe2, "", "b", 1, 15, 1, 5.5);
    EXPECT_EQ(g.ArquivoFormatoXML, "<a>5</a><b>5.50</b>");
}

TEST(Gerador, PreparesText) {
    TGerador g;
    const struct {
        const char* entrada;
        const char* esperado;
    } casos[] = {
        {"Sabão  &  Cia\r\nLtda", "Sabao &amp; CiaLtda"},
        {"<a href=\"x\">'b'</a>", "&lt;a href=&quot;x&quot;&gt;&#39;b&#39;&lt;/a&gt;"},
        {"ÀÇÉÍÐÑÕ×ØÜÝÞß", "ACEIDNOx0UYbB"},
        {"àçéíðñõ÷øüýþÿ", "aceiono/0uyby"},
        {"a\tb€c", "a b c"},
        {"x     y", "x y"},
        {"linha1\rlinha2\nlinha3", "linha1linha2linha3"},
        {"Ω", "?"},
    };
    for (const auto& c : casos) EXPECT_EQ(g.PrepararTexto(c.entrada), c.esperado) << c.entrada;

    TGerador semDobra;
    semDobra.Opcoes.RetirarAcentos = false;
    semDobra.Opcoes.RetirarEspacos = false;
    semDobra.Opcoes.QuebraLinha = ";";
    EXPECT_EQ(semDobra.PrepararTexto("Ação  Ω\r\nfim"), "Ação  ?;fim");
}

// Attribute values and the SAT settings keep the apostrophe; element content escapes it too.
TEST(Gerador, EscapesMarkupAndTheApostropheOnlyWhenAsked) {
    EXPECT_EQ(escaparXML("a&b<c>d\"e'f  Ç"), "a&amp;b&lt;c&gt;d&quot;e'f  Ç");
    EXPECT_EQ(escaparXML("a&b<c>d\"e'f  Ç", true), "a&amp;b&lt;c&gt;d&quot;e&#39;f  Ç");
    EXPECT_EQ(escaparXML("&amp;"), "&amp;amp;");
    EXPECT_EQ(escaparXML(""), "");
}

TEST(Gerador, ValidatesLengthsIntoAlertsWithoutCutting) {
    TGerador g;
    g.wCampo(tcStr, "C03", "xNome", 1, 15, 0, "1234567890123456", "Nome");
    g.wCampo(tcStr, "C04", "xFant", 2, 15, 0, "A");
    g.wCampo(tcStr, "C05", "xLgr", 2, 15, 1, "");
    g.wCampo(tcStr, "C06", "xCpl", 2, 15, 0, "");
    EXPECT_EQ(g.ArquivoFormatoXML, "<xNome>1234567890123456</xNome><xFant>A</xFant><xLgr/>");
    ASSERT_EQ(g.ListaDeAlertas.size(), 3u);
    EXPECT_EQ(g.ListaDeAlertas[0],
              "TAG: ID:C03/xNome(Nome) - Tamanho maior que o máximo permitido [1234567890123456].");
    EXPECT_EQ(g.ListaDeAlertas[1], "TAG: ID:C04/xFant() - Tamanho menor que o mínimo permitido [A].");
    EXPECT_EQ(g.ListaDeAlertas[2], "TAG: ID:C05/xLgr() - Nenhum valor informado.");

    std::size_t n = 0;
    escrever(tcEsp, 4, 4, 1, "51O2", &n);
    EXPECT_EQ(n, 1u);
}

TEST(Gerador, WritesGroupsWithIndentationAndTagLevels) {
    TGerador g;
    g.Opcoes.IdentarXML = true;
    g.IgnorarTagNivel = "|?xml version|CFe xmlns|infCFe versao|obsCont|obsFisco|";
    g.wGrupo("CFe");
    g.wGrupo("infCFe versaoDadosEnt=\"0.08\"");
    g.wGrupo("det nItem=\"1\"", "H01");
    g.wGrupo("prod", "I01");
    EXPECT_EQ(g.TagNivel, "<CFe><det nItem=\"1\"><prod>");
    EXPECT_EQ(g.IDNivel, "I01");
    g.wCampo(tcStr, "I02", "cProd ", 1, 60, 1, "123");
    g.wCampo(tcStr, "I03", "cEAN", 1, 60, 1, "");
    g.wGrupo("/prod");
    EXPECT_EQ(g.TagNivel, "<CFe><det nItem=\"1\">");
    g.wGrupo("/det");
    EXPECT_EQ(g.TagNivel, "<CFe>");
    g.wGrupo("/infCFe");
    g.wGrupo("/CFe");
    EXPECT_EQ(g.ArquivoFormatoXML,
              "<CFe>\r\n"
              "   <infCFe versaoDadosEnt=\"0.08\">\r\n"
              "      <det nItem=\"1\">\r\n"
              "         <prod>\r\n"
              "            <cProd>123</cProd>\r\n"
              "            <cEAN/>\r\n"
              "         </prod>\r\n"
              "      </det>\r\n"
              "   </infCFe>\r\n"
              "</CFe>\r\n");
    EXPECT_EQ(g.Opcoes.NivelIdentacao, 0);

    // The chain of open groups goes into alerts.
    TGerador h;
    h.wGrupo("emit", "C01");
    h.wCampo(tcStr, "C03", "xNome", 2, 60, 1, "");
    EXPECT_EQ(h.ListaDeAlertas.at(0), "TAG:<emit> ID:C03/xNome() - Nenhum valor informado.");
}

TEST(Gerador, OnlyValidatingWritesGroupsButNoElements) {
    TGerador g;
    g.Opcoes.SomenteValidar = true;
    g.wGrupo("ide");
    g.wCampo(tcStr, "B12", "signAC", 1, 344, 1, "");
    g.wGrupo("/ide");
    EXPECT_EQ(g.ArquivoFormatoXML, "<ide></ide>");
    EXPECT_EQ(g.ListaDeAlertas.size(), 1u);
}

TEST(Gerador, LongFormAndAttributesOfEmptyElements) {
    TGerador g;
    g.Opcoes.TagVaziaNoFormatoResumido = false;
    g.Prefixo = "ns:";
    g.wCampo(tcStr, "", "a", 0, 9, 1, "", "", true, "x=\"1\"");
    g.wCampo(tcStr, "", "b", 0, 9, 1, "v", "", true, "y=\"2\"");
    EXPECT_EQ(g.ArquivoFormatoXML, "<ns:a x=\"1\"></ns:a><ns:b y=\"2\">v</ns:b>");
}

TEST(Gerador, WritesCnpjOrCpf) {
    const struct {
        const char* numero;
        bool obrigatorio;
        const char* esperado;
        std::size_t alertas;
    } casos[] = {
        {"111.444.777-35", true, "<CPF>11144477735</CPF>", 0},
        {"11.222.333/0001-81", true, "<CNPJ>11222333000181</CNPJ>", 0},
        {"", true, "<CNPJ>00000000000000</CNPJ>", 0},
        {"", false, "", 0},
        {"4447773", false, "<CPF>00004447773</CPF>", 1},       // check digits fail
        {"111.444.777-00", false, "<CPF>11144477700</CPF>", 1},
        {"11222333000100", false, "<CNPJ>11222333000100</CNPJ>", 1},
        {"112223330001819", false, "<CNPJ>11222333000181</CNPJ>", 0},  // cut to 14 digits
    };
    for (const auto& c : casos) {
        TGerador g;
        g.wCampoCNPJCPF("E02", "E03", c.numero, c.obrigatorio, true);
        EXPECT_EQ(g.ArquivoFormatoXML, c.esperado) << c.numero;
        EXPECT_EQ(g.ListaDeAlertas.size(), c.alertas) << c.numero;
    }
    // Without zero fill a short number keeps its length and is flagged.
    TGerador g;
    g.wCampoCNPJCPF("E02", "E03", "12345", false, false);
    EXPECT_EQ(g.ArquivoFormatoXML, "<CPF>12345</CPF>");
    ASSERT_EQ(g.ListaDeAlertas.size(), 2u);  // check digits, length not 11 or 14
    EXPECT_EQ(g.ListaDeAlertas[1], "TAG: ID:E02-E03/CNPJ-CPF(CNPJ/CPF) - Conteúdo inválido.");
}

TEST(Gerador, ChecksDocumentNumbers) {
    EXPECT_TRUE(validarCPF("11144477735"));
    EXPECT_FALSE(validarCPF("11144477736"));
    EXPECT_FALSE(validarCPF("1114447773"));
    EXPECT_TRUE(validarCNPJ("11222333000181"));
    EXPECT_FALSE(validarCNPJ("11222333000182"));
    EXPECT_FALSE(validarCNPJ("1122233300018a"));
}
