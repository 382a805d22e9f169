#include "support/Substituicoes.h"

#include "support/Texto.h"

#include <gtest/gtest.h>

#include <set>

using namespace orv;

namespace {

TEST(Substituicoes, QuotesRoundTrip) {
    const std::string original = "<xNome>D'Ávila \"Pães\" `Â`</xNome>";
    const std::string guardado = trocarEspeciais(original, 0);
    EXPECT_EQ(guardado, "<xNome>D½Ávila ¾Pães¾ ¨Â¨</xNome>");
    EXPECT_EQ(guardado.find_first_of("'\"`"), std::string::npos);
    // Reading gives the quotes back and drops every "Â".
    EXPECT_EQ(trocarEspeciais(guardado, 1), "<xNome>D'Ávila \"Pães\" ``</xNome>");

    struct Caso {
        const char *entrada, *esperado;
    } leitura[] = {
        {"¢x¥", "'x\""},
        {"CaÃƒÂ¡ e pÃƒÂ£o", "Caá e pão"},
        {"Â½Â", "'"},
        {"Ã‰ ok", "Ã‰ ok"}, // other characters untouched, bytes of letters never split
    };
    for (const auto& c : leitura)
        EXPECT_EQ(trocarEspeciais(c.entrada, 1), c.esperado) << c.entrada;
    EXPECT_EQ(trocarEspeciais("a'b", 7), "a'b");
}

TEST(Substituicoes, RemoveAccents) {
    EXPECT_EQ(removerAcentos("ÀÁÂÃ Ç ÉÊ Í ÓÔÕ Ú àáâã ç éê í óôõ ú"),
              "AAAA C EE I OOO U aaaa c ee i ooo u");
    EXPECT_EQ(removerAcentos("ÈÌÒÙÜ èìòùü ñ € 中"), "ÈÌÒÙÜ èìòùü ñ € 中");
    EXPECT_EQ(removerAcentos("Avenida São João, 1º"), "Avenida Sao Joao, 1º");
}

TEST(Substituicoes, TextAsCrLfLines) {
    EXPECT_EQ(textoParaUtf8("<a>\n<b>ç</b>\r\n</a>"), "<a>\r\n<b>ç</b>\r\n</a>\r\n");
    EXPECT_EQ(textoParaUtf8(""), "");
}

TEST(Substituicoes, MultiplierTableIsAPermutation) {
    ASSERT_EQ(kMultiplicadoresCodificacao.size(), 120u);
    std::set<int> vistos;
    for (std::size_t i = 0; i < 120; i += 2)
        vistos.insert((kMultiplicadoresCodificacao[i] - '0') * 10 +
                      (kMultiplicadoresCodificacao[i + 1] - '0'));
    EXPECT_EQ(vistos.size(), 60u);
    EXPECT_EQ(*vistos.begin(), 1);
    EXPECT_EQ(*vistos.rbegin(), 60);
}

TEST(Substituicoes, ScrambleRoundTripsAndDecodesQuietly) {
    const std::string nome = "Padaria São João Ltda - ME";
    const std::string codigo = codificarTexto(nome, kCodificar);
    EXPECT_EQ(codigo.size(), 4 * contarCaracteres(nome));
    EXPECT_EQ(codigo.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(codificarTexto(codigo, kDecodificar), nome);

    // A full sixty-character name gives 240 digits; 236 of them decode 59 characters.
    const std::string sessenta = "Mercado Irmaos Andrade & Filhos Comercio de Alimentos Ltda 1";
    ASSERT_EQ(contarCaracteres(sessenta), 60u);
    const std::string cheio = codificarTexto(sessenta, kCodificar);
    ASSERT_EQ(cheio.size(), 240u);
    EXPECT_EQ(codificarTexto(cheio, kDecodificar), sessenta);
    EXPECT_EQ(codificarTexto(cheio.substr(0, 236), kDecodificar), cortarCaracteres(sessenta, 59));
    // Only sixty groups are read; extra digits are ignored, extra characters not encoded.
    EXPECT_EQ(codificarTexto(cheio + "1234", kDecodificar), sessenta);
    EXPECT_EQ(codificarTexto(sessenta + "XYZ", kCodificar), cheio);

    // A group that is not four digits stops with what was decoded so far.
    std::string quebrado = cheio;
    quebrado[9] = 'x';
    EXPECT_EQ(codificarTexto(quebrado, kDecodificar), cortarCaracteres(sessenta, 2));
    EXPECT_EQ(codificarTexto("", kDecodificar), "");
    EXPECT_EQ(codificarTexto("12", kDecodificar), "");

    // The first multiplier is 55: group 0543 decodes (543 + 7) / 55 = 10 -> line feed.
    EXPECT_EQ(codificarTexto("0543", kDecodificar), "\n");
    // What a multiplier cannot carry in four digits: the plain letter, else "?". The first
    // multiplier (55) carries codes up to 181, the 58th (1) up to 10006.
    struct Caso {
        const char *texto, *volta;
    } largos[] = {
        {"ção", "cao"}, // 231 and 227 exceed 181 and 169
        {"中\t", "??"},
        {"Mercado Irmãos Andrade & Filhos Comércio de Alimentos Ltd€ 1",
         "Mercado Irmãos Andrade & Filhos Comercio de Alimentos Ltd€ 1"},
    };
    for (const auto& c : largos)
        EXPECT_EQ(codificarTexto(codificarTexto(c.texto, kCodificar), kDecodificar), c.volta);
    EXPECT_EQ(codificarTexto("abc", 5), "abc");
}

TEST(Substituicoes, UnknownError) {
    struct Caso {
        const char *erro, *esperado;
    } casos[] = {
        {"", "Erro desconhecido: Envio"},
        {"  \r\n", "Erro desconhecido: Envio"},
        {"Falha no SAT", "Falha no SAT"},
    };
    for (const auto& c : casos) {
        std::string e = c.erro;
        erroDesconhecido(e, "Envio");
        EXPECT_EQ(e, c.esperado);
    }
}

} // namespace
