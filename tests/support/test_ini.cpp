#include "support/Ini.h"

#include "PastaTemp.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::teste::gravarBytes;
using orv::teste::lerBytes;
using orv::teste::PastaTemp;

namespace {

const char* kTexto = "; comentário\n"
                     "[Geral]\n"
                     "Porta=1987\n"
                     "  Host  =   servidor.local   \n"
                     "porta=9999\n"
                     "Aspas=\"  com blanks  \"\n"
                     "Simples='x'\n"
                     "Meia=\"aberta\n"
                     "Vazio=\n"
                     "Hex=0x1F\n"
                     "Dolar=$ff\n"
                     "Taxa=2,5\n"
                     "Sim=sim\n"
                     "Zero=0\n"
                     "Lixo=12abc\n"
                     "semigual\n"
                     "[ SAT ]\n"
                     "Porta=5\n"
                     "[geral]\n"
                     "Extra=depois\n"
                     "Host=outro\n";

TEST(Ini, ReadsWithPrivateProfileRules) {
    const TIniFile ini = TIniFile::deTexto(kTexto);
    struct Caso {
        const char *secao, *chave, *esperado;
    } casos[] = {
        {"Geral", "Porta", "1987"}, // first occurrence wins, case-insensitive
        {"GERAL", "PORTA", "1987"},
        {"Geral", "host", "servidor.local"},  // key and value trimmed
        {"Geral", "Aspas", "  com blanks  "}, // one pair of quotes removed, inside kept
        {"Geral", "Simples", "x"},
        {"Geral", "Meia", "\"aberta"}, // unmatched quote stays
        {"Geral", "Vazio", ""},
        {"sat", "porta", "5"},        // section name trimmed inside the brackets
        {"Geral", "Extra", "depois"}, // a repeated section adds its new keys
        {"Geral", "Falta", "padrão"},
        {"Nada", "Porta", "padrão"},
        {"Geral", "semigual", "padrão"}, // a line without "=" is no key
    };
    for (const auto& c : casos)
        EXPECT_EQ(ini.ReadString(c.secao, c.chave, "padrão"), c.esperado)
            << c.secao << "/" << c.chave;

    EXPECT_EQ(ini.ReadInteger("Geral", "Porta", -1), 1987);
    EXPECT_EQ(ini.ReadInteger("Geral", "Hex", -1), 31);
    EXPECT_EQ(ini.ReadInteger("Geral", "Dolar", -1), 255);
    EXPECT_EQ(ini.ReadInteger("Geral", "Lixo", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Geral", "Vazio", -1), -1);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Geral", "Taxa", -1), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Geral", "Lixo", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Geral", "Sim", false));
    EXPECT_FALSE(ini.ReadBool("Geral", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("Geral", "Porta", false));
    EXPECT_TRUE(ini.ReadBool("Geral", "Lixo", true));
    EXPECT_FALSE(ini.ReadBool("Geral", "Lixo", false));

    EXPECT_TRUE(ini.SectionExists("sat"));
    EXPECT_FALSE(ini.SectionExists("Nada"));
    EXPECT_TRUE(ini.ValueExists("geral", "VAZIO"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Geral", "SAT"}));
    EXPECT_EQ(ini.ReadSection("Geral"),
              (std::vector<std::string>{"Porta", "Host", "Aspas", "Simples", "Meia", "Vazio", "Hex",
                                        "Dolar", "Taxa", "Sim", "Zero", "Lixo", "Extra"}));
}

TEST(Ini, ValueCappedAt2047Characters) {
    // Counted in characters: a two-byte letter at the cut must not be split.
    const std::string longo = std::string(2046, 'x') + "çççç";
    const TIniFile ini = TIniFile::deTexto("[A]\nB=" + longo + "\n");
    EXPECT_EQ(ini.ReadString("A", "B"), std::string(2046, 'x') + "ç");
}

TEST(Ini, ReadsWindows1252AndMissingFile) {
    const TIniFile ini(std::string(ORVANE_TEST_DATA) + "/loja1252.ini");
    EXPECT_EQ(ini.ReadString("Geral", "Nome"), "Padaria São João");
    EXPECT_EQ(ini.ReadString("Geral", "Cidade"), "Guaratinguetá");

    const TIniFile nada(std::string(ORVANE_TEST_DATA) + "/nao-existe.ini");
    EXPECT_EQ(nada.ReadString("Geral", "Nome", "x"), "x");
    EXPECT_EQ(nada.ReadInteger("Geral", "Porta", 7), 7);
    EXPECT_TRUE(nada.ReadSections().empty());
}

TEST(Ini, WriteKeepsTheRestOfTheFile) {
    PastaTemp tmp;
    const std::string arq = tmp / "Orvane.ini";
    const std::string antes = "; topo\r\n"
                              "[Geral]\r\n"
                              "; sobre a porta\r\n"
                              "  Porta = 1987\r\n"
                              "Host=a\r\n"
                              "\r\n"
                              "[Outra]\r\n"
                              "Porta=1\r\n";
    gravarBytes(arq, antes);
    TIniFile ini(arq);
    ASSERT_TRUE(ini.WriteString("GERAL", "porta", "5432"));
    ASSERT_TRUE(ini.WriteString("Geral", "Novo", "sim"));
    ASSERT_TRUE(ini.WriteInteger("Outra", "Conta", 3));
    EXPECT_EQ(lerBytes(arq), "; topo\r\n"
                             "[Geral]\r\n"
                             "; sobre a porta\r\n"
                             "  Porta=5432\r\n"
                             "Host=a\r\n"
                             "Novo=sim\r\n"
                             "\r\n"
                             "[Outra]\r\n"
                             "Porta=1\r\n"
                             "Conta=3\r\n");
    EXPECT_EQ(TIniFile(arq).ReadString("Geral", "Porta"), "5432");
    EXPECT_EQ(ini.ReadInteger("Outra", "Conta"), 3);
}

TEST(Ini, WriteCreatesFileAndSectionAndKeepsCodePage) {
    PastaTemp tmp;
    const std::string arq = tmp / "novo.ini";
    TIniFile ini(arq);
    ASSERT_TRUE(ini.WriteString("Geral", "Nome", "São"));
    ASSERT_TRUE(ini.WriteBool("SAT", "Ativo", true));
    // New files are 8-bit Windows-1252 with CR LF.
    EXPECT_EQ(lerBytes(arq), "[Geral]\r\nNome=S\xE3o\r\n\r\n[SAT]\r\nAtivo=1\r\n");
    EXPECT_TRUE(TIniFile(arq).ReadBool("sat", "ativo"));

    // A UTF-8 file (with its mark) stays UTF-8 and keeps LF endings.
    const std::string utf = tmp / "utf.ini";
    gravarBytes(utf, "\xEF\xBB\xBF[A]\nx=ação\n");
    TIniFile u(utf);
    ASSERT_TRUE(u.WriteString("A", "y", "pão"));
    EXPECT_EQ(lerBytes(utf), "\xEF\xBB\xBF[A]\nx=ação\ny=pão\n");

    // A Windows-1252 file stays Windows-1252.
    const std::string ansi = tmp / "ansi.ini";
    gravarBytes(ansi, lerBytes(std::string(ORVANE_TEST_DATA) + "/loja1252.ini"));
    TIniFile a(ansi);
    ASSERT_TRUE(a.WriteString("Geral", "Rua", "Ação"));
    EXPECT_NE(lerBytes(ansi).find("Rua=A\xE7\xE3o\r\n"), std::string::npos);
    EXPECT_EQ(TIniFile(ansi).ReadString("Geral", "Nome"), "Padaria São João");
}

TEST(Ini, WriteRereadsFileAndRefusesBrokenInput) {
    PastaTemp tmp;
    const std::string arq = tmp / "x.ini";
    TIniFile ini(arq);
    ASSERT_TRUE(ini.WriteString("A", "um", "1"));
    // Someone else adds a key meanwhile; our next write keeps it.
    TIniFile outro(arq);
    ASSERT_TRUE(outro.WriteString("A", "dois", "2"));
    ASSERT_TRUE(ini.WriteString("A", "tres", "3"));
    const TIniFile fim(arq);
    EXPECT_EQ(fim.ReadString("A", "dois"), "2");
    EXPECT_EQ(fim.ReadString("A", "tres"), "3");

    // A line break or "=" in a name would write a different file: nothing is written.
    const std::string antes = lerBytes(arq);
    EXPECT_FALSE(ini.WriteString("A", "k", "x\r\n[B]"));
    EXPECT_FALSE(ini.WriteString("A", "k=v", "x"));
    EXPECT_FALSE(ini.WriteString("A]", "k", "x"));
    EXPECT_FALSE(ini.WriteString("A", "", "x"));
    EXPECT_EQ(lerBytes(arq), antes);

    // An unwritable place reports failure.
    TIniFile sem((tmp / "falta") + "/x.ini");
    EXPECT_FALSE(sem.WriteString("A", "k", "v"));
}

TEST(Ini, InMemoryTextChangesOnlyTheText) {
    TIniFile ini = TIniFile::deTexto("[Venda]\r\nTotal=10\r\n");
    ASSERT_TRUE(ini.WriteString("venda", "TOTAL", "12"));
    EXPECT_EQ(ini.texto(), "[Venda]\r\nTotal=12\r\n");
    EXPECT_EQ(ini.ReadString("Venda", "Total"), "12");
}

} // namespace
