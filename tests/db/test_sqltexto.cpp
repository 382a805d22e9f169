#include "db/SqlTexto.h"

#include <clocale>
#include <locale>

#include <gtest/gtest.h>

#include "support/DataHora.h"

using namespace orv;

namespace {

struct Caso {
    const char* nome;
    TVariante valor;
    const char* tipo;
    const char* esperado;
};

const Caso kCasos[] = {
    {"apostrofo", std::string("O'Brien"), "C", "'O''Brien'"},
    {"texto_vazio", std::string(""), "C", "''"},
    {"nulo_como_texto", TVariante{}, "C", "''"},
    {"inteiro_como_texto", std::int64_t{42}, "C", "'42'"},
    {"numero_como_texto", 2.5, "C", "'2.5'"},
    {"barra_vira_escape", std::string("C:\\SAT"), "C", "E'C:\\\\SAT'"},
    {"barra_e_apostrofo", std::string("a\\'b"), "C", "E'a\\\\''b'"},
    {"ponto_decimal", 1234.5, "N", "1234.5"},
    {"quinze_digitos", 0.1 + 0.2, "N", "0.3"},
    {"inteiro_em_N", std::int64_t{1234}, "N", "1234"},
    {"negativo", -0.75, "N", "-0.75"},
    {"zero", 0.0, "N", "0"},
    {"pequeno_fixo", 0.0001, "N", "0.0001"},
    {"pequeno_expoente", 0.00001, "N", "1E-5"},
    {"grande_fixo", 123456789012345.0, "N", "123456789012345"},
    {"grande_expoente", 1234567890123456.0, "N", "1.23456789012346E15"},
    {"muito_grande", 1.5e20, "N", "1.5E20"},
    {"texto_com_virgula", std::string("12,50"), "N", "12.5"},
    {"moeda", Currency::deRaw(123450), "N", "12.345"},
    {"inteiro", std::int64_t{-9000000000}, "I", "-9000000000"},
    {"double_arredonda_par", 2.5, "I", "2"},
    {"double_arredonda_par_acima", 3.5, "I", "4"},
    {"texto_inteiro", std::string(" 17 "), "I", "17"},
    {"data", codificarDataHora(2024, 3, 5, 14, 3, 59), "D", "'2024/03/05'"},
    {"data_de_texto", std::string("2024-12-10"), "D", "'2024/12/10'"},
    {"hora", codificarDataHora(2024, 3, 5, 14, 3, 59), "H", "'14:03:59'"},
    {"hora_meia_noite", codificarData(2024, 3, 5), "H", "'00:00:00'"},
};

} // namespace

TEST(SqlVarToStr, FormaCadaTipo) {
    for (const auto& c : kCasos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(sqlVarToStr(c.valor, c.tipo), c.esperado);
    }
}

// The shops run with a comma as the decimal separator; numbers still go out with a point.
TEST(SqlVarToStr, NumeroIgnoraLocalComVirgula) {
    struct Virgula : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    std::locale anterior = std::locale::global(std::locale(std::locale::classic(), new Virgula));
    std::string cAnterior = std::setlocale(LC_ALL, nullptr);
    for (const char* nome : {"pt_BR.UTF-8", "pt_BR.utf8", "de_DE.UTF-8"})
        if (std::setlocale(LC_ALL, nome)) break;

    EXPECT_EQ(sqlVarToStr(1234.5, "N"), "1234.5");
    EXPECT_EQ(sqlVarToStr(0.125, "C"), "'0.125'");
    EXPECT_EQ(sqlVarToStr(std::string("1234,5"), "N"), "1234.5");

    std::setlocale(LC_ALL, cAnterior.c_str());
    std::locale::global(anterior);
}

TEST(SqlVarToStr, LetraDesconhecidaLevantaAMensagem) {
    for (const char* tipo : {"X", "c", "", "CC"}) {
        SCOPED_TRACE(tipo);
        try {
            sqlVarToStr(std::string("x"), tipo);
            ADD_FAILURE() << "no error raised";
        } catch (const ESqlParametro& e) {
            EXPECT_STREQ(e.what(), "Erro na definição do parâmetro em sqlVarToStr().");
        }
    }
}

TEST(SqlVarToStr, ValorQueNaoServeAoTipoLevanta) {
    EXPECT_THROW(sqlVarToStr(std::string("abc"), "N"), std::invalid_argument);
    EXPECT_THROW(sqlVarToStr(TVariante{}, "N"), std::invalid_argument);
    EXPECT_THROW(sqlVarToStr(std::string("1.5x"), "I"), std::invalid_argument);
    EXPECT_THROW(sqlVarToStr(std::string("31/02/2024"), "D"), std::invalid_argument);
    EXPECT_THROW(sqlVarToStr(TVariante{}, "H"), std::invalid_argument);
}
