#include "support/Arquivos.h"
#include "support/Formatacao.h"

#include "PastaTemp.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using orv::teste::lerBytes;
using orv::teste::PastaTemp;

namespace {

TEST(Formatacao, Numbers) {
    struct Caso {
        double valor;
        int largura, decimais;
        const char *brancos, *zeros;
    } casos[] = {
        {7.83456, 10, 3, "     7.834", "000007.834"}, // cut, not rounded
        {7.8399999, 0, 2, "7", "7.83"},               // width 0: whole number / no padding
        {7, 3, 0, "  7", "007"},
        {1234, 3, 0, "1234", "1234"},     // a longer text is not cut
        {-7.5, 6, 1, "  -7.5", "-007.5"}, // zeros after the sign
        {-7.9, 0, 0, "-7", "-7"},
        {0.123456789, 12, 9, "  0.12345679", "000.12345679"}, // at most eight decimals
        {8589934592.0 / (1024.0 * 1024 * 1024), 10, 3, "     8.000", "000008.000"},
        {1e20, 0, 0, "9223372036854775807", "100000000000000000000"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(formatarNumero(c.valor, c.largura, c.decimais), c.brancos) << c.valor;
        EXPECT_EQ(formatarNumeroZeros(c.valor, c.largura, c.decimais), c.zeros) << c.valor;
    }
}

TEST(Formatacao, LeadingZerosAndCopies) {
    struct Caso {
        const char* texto;
        int tamanho;
        const char* esperado;
    } casos[] = {
        {"000123", 4, "0123"}, {"000123", 0, "123"}, {"0", 0, "0"},
        {"0000", 0, "0"},      {" 0012 ", 0, "12"},  {"000123", 9, "123"},
        {"", 0, ""},           {"00ção", 3, "ção"},  {"123", 2, "123"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(removerZerosEsquerda(c.texto, c.tamanho), c.esperado) << c.texto;

    EXPECT_EQ(copiarDesde("São Paulo", 5), "Paulo");
    EXPECT_EQ(copiarDesde("São Paulo", 2, 3), "ão ");
    EXPECT_EQ(copiarDesde("São Paulo", 0, 3), "São");
    EXPECT_EQ(copiarDesde("abc", 9), "");
}

TEST(Arquivos, PathsAndProgramFolder) {
    EXPECT_EQ(incluirBarra("  /tmp/x  "), "/tmp/x/");
    EXPECT_EQ(incluirBarra("/tmp/x/"), "/tmp/x/");
    EXPECT_EQ(incluirBarra("   "), "");
    const std::string pasta = pastaExecutavel();
    ASSERT_FALSE(pasta.empty());
    EXPECT_EQ(pasta.back(), PathDelim);
    EXPECT_TRUE(std::filesystem::exists(pasta + "support_test_formatacao"));
}

TEST(Arquivos, WriteLinesAndTexts) {
    PastaTemp tmp;
    const std::string log = tmp / "a/b/c/ação.log"; // folders created, UTF-8 name kept
    EXPECT_TRUE(gravarLinhaArquivo(log, "pão"));
    EXPECT_TRUE(gravarLinhaArquivo(log, "€ e Ω"));
    EXPECT_EQ(lerBytes(log), "p\xE3o\r\n\x80 e ?\r\n");
    EXPECT_FALSE(gravarLinhaArquivo(tmp.base(), "uma pasta não é arquivo"));

    const std::string txt = tmp / "SAT.ini";
    EXPECT_TRUE(salvarTexto(txt, "[Geral]\nA=ç\r\nB=2\rC=3"));
    EXPECT_EQ(lerBytes(txt), "[Geral]\r\nA=\xE7\r\nB=2\r\nC=3\r\n");
    EXPECT_TRUE(salvarTexto(txt, "x\n", CP_UTF8));
    EXPECT_EQ(lerBytes(txt), "x\r\n");
    EXPECT_TRUE(salvarTexto(txt, ""));
    EXPECT_EQ(lerBytes(txt), "");
    EXPECT_FALSE(salvarTexto(tmp / "falta/x.txt", "x"));

    EXPECT_TRUE(apagarArquivo(txt));
    EXPECT_FALSE(std::filesystem::exists(txt));
    EXPECT_TRUE(apagarArquivo(txt)); // missing: true at once
    std::filesystem::create_directories(tmp / "cheia/dentro");
    EXPECT_FALSE(apagarArquivo(tmp / "cheia")); // a folder with content cannot go
}

} // namespace
