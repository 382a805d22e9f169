#include "support/DataHora.h"
#include "support/Texto.h"
#include "support/Valor.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(Texto, CodePagesRoundTripAndReplaceUnknown) {
    const std::string cao = "ção";
    const std::string ansi = utf8ParaAnsi(cao);
    EXPECT_EQ(ansi, std::string("\xE7\xE3o"));
    EXPECT_EQ(ansiParaUtf8(ansi), cao);
    EXPECT_EQ(utf8ParaPagina(cao, CP_UTF8), cao);
    // A character outside Windows-1252 becomes "?", the rest survives.
    EXPECT_EQ(utf8ParaAnsi("a€Ωb"), std::string("a\x80?b"));
    EXPECT_EQ(utf8ParaPagina("ção", 850), std::string("\x87\xC6o"));
    EXPECT_EQ(paginaParaUtf8("\x87\xC6o", 850), cao);
    // Broken UTF-8 does not stop the conversion.
    EXPECT_EQ(utf8ParaAnsi(std::string("a\xC3") + "b"), "a?b");
    EXPECT_EQ(paraUtf8("\xE7\xE3o"), cao);
    EXPECT_EQ(paraUtf8(cao), cao);
}

TEST(Texto, CountsAndCutsByCharacters) {
    EXPECT_EQ(contarCaracteres("ação"), 4u);
    EXPECT_EQ(cortarCaracteres("ação!", 3), "açã");
    EXPECT_EQ(copiarCaracteres("ação!", 2), "ão!");
    EXPECT_EQ(copiarCaracteres("abc", 5), "");
    EXPECT_EQ(trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(substituirTudo("aXbXX", "X", "YY"), "aYYbYYYY");
    EXPECT_EQ(dividir("a||b|", '|'), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(DataHora, BuildSplitAndFormat) {
    TDateTime dt = codificarDataHora(2024, 12, 10, 13, 45, 10);
    EXPECT_DOUBLE_EQ(somenteData(dt), 45636.0);
    PartesData p = decodificarDataHora(dt);
    EXPECT_EQ(p.ano, 2024);
    EXPECT_EQ(p.mes, 12);
    EXPECT_EQ(p.dia, 10);
    EXPECT_EQ(p.hora, 13);
    EXPECT_EQ(p.minuto, 45);
    EXPECT_EQ(p.segundo, 10);
    EXPECT_EQ(segundoDoDia(dt), 49510);
    struct Caso {
        const char* padrao;
        const char* esperado;
    } casos[] = {
        {"dd.mm.yy - hh:mm:ss", "10.12.24 - 13:45:10"}, {"YY-MM-DD", "24-12-10"},
        {"YYMMDD", "241210"},        {"YYYYMMDD", "20241210"},     {"dd/mm/yyyy", "10/12/2024"},
        {"yyyy/mm/dd", "2024/12/10"}, {"hh:nn:ss", "13:45:10"},     {"yyyy-mm-dd\"T\"hh:nn", "2024-12-10T13:45"},
    };
    for (const auto& c : casos) EXPECT_EQ(formatarDataHora(c.padrao, dt), c.esperado) << c.padrao;
    EXPECT_EQ(formatarDataHora("dd/mm/yyyy", 0), "30/12/1899");
    EXPECT_THROW(codificarData(2023, 2, 29), std::invalid_argument);
    EXPECT_NO_THROW(codificarData(2024, 2, 29));
    // 23:59:59.9996 rounds to the millisecond, never into a 60th second.
    PartesData q = decodificarDataHora(codificarDataHora(2024, 1, 1, 23, 59, 59, 999));
    EXPECT_EQ(q.segundo, 59);
    EXPECT_EQ(q.milissegundo, 999);
}

TEST(Currency, RoundsTiesToEvenAndComputes) {
    struct Caso {
        double v;
        std::int64_t raw;
    } casos[] = {{1.5, 15000},     {1.03125, 10312},       {1.09375, 10938},
                 {-1.03125, -10312}, {0.00025, 3},           {2.675, 26750},
                 {123.45674999, 1234567}, {-7.12345, -71235}};
    for (const auto& c : casos) EXPECT_EQ(Currency::deDouble(c.v).raw(), c.raw) << c.v;
    EXPECT_EQ(Currency(3) * Currency::deDouble(1.1), Currency::deDouble(3.3));
    EXPECT_EQ((Currency(10) / Currency(3)).raw(), 33333);
    EXPECT_LT(Currency::deDouble(-0.01), Currency());
    EXPECT_EQ(Currency::deTexto("-12.34565").raw(), -123456);
    EXPECT_EQ(Currency::deDouble(1234.5).paraTexto(2), "1234.50");
    EXPECT_EQ(Currency::deDouble(-0.005).paraTexto(2), "-0.01");
    EXPECT_THROW(Currency::deTexto("12,5"), std::invalid_argument);
}
