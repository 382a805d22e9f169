// Settings and the naming of the files the SAT layer writes.

#include "sat/OrvSAT.h"

#include "Mensagem.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
namespace fs = std::filesystem;

namespace {

struct PastaTemp {
    fs::path p;
    PastaTemp() {
        p = fs::temp_directory_path() /
            ("orv_sat_cfg_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(p);
        fs::create_directories(p);
    }
    ~PastaTemp() { fs::remove_all(p); }
    std::string str() const { return p.string(); }
};

} // namespace

TEST(Config, PaginaDeCodigoEEhUTF8) {
    TOrvSAT sat;
    auto& c = sat.Config();
    EXPECT_FALSE(c.EhUTF8());
    EXPECT_DOUBLE_EQ(c.infCFe_versaoDadosEnt, 0.07);
    c.setEhUTF8(true);
    EXPECT_EQ(c.PaginaDeCodigo, 65001);
    c.setEhUTF8(false);
    EXPECT_EQ(c.PaginaDeCodigo, 0);
    c.PaginaDeCodigo = 850;
    c.setEhUTF8(false);
    EXPECT_EQ(c.PaginaDeCodigo, 850);
    EXPECT_EQ(mensagemDe([] { TOrvSATConfig semDono(nullptr); }), "Dono de TOrvSATConfig deve ser TOrvSAT");
    EXPECT_EQ(mensagemDe([] { TOrvSATConfigArquivos semDono(nullptr); }),
              "Dono de TOrvSATConfig deve ser TOrvSAT");
}

TEST(ConfigArquivos, PastasPadraoENormalizacao) {
    TOrvSAT sat;
    auto& a = sat.ConfigArquivos();
    fs::path programa = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(a.PastaCFeVenda(), (programa / "Vendas").string());
    EXPECT_EQ(a.PastaCFeCancelamento(), (programa / "Cancelamentos").string());
    EXPECT_EQ(a.PastaEnvio(), (programa / "Enviado").string());
    a.setPastaEnvio("  /tmp/x/LOGs/\\/ ");
    EXPECT_EQ(a.PastaEnvio(), "/tmp/x/LOGs");
    // Exactly one delimiter in what is built from it.
    EXPECT_EQ(a.CalcPath(a.PastaEnvio(), "", 0), "/tmp/x/LOGs/");
    EXPECT_EQ(a.CalcPath("", "", 0), (programa / "Vendas").string() + "/");

    a.setSepararPorDia(true);
    EXPECT_TRUE(a.SepararPorMes());
    a.setSepararPorMes(false);
    EXPECT_FALSE(a.SepararPorDia());
}

TEST(ConfigArquivos, SubpastasPorCNPJModeloEData) {
    TOrvSAT sat;
    auto& a = sat.ConfigArquivos();
    const TDateTime d = codificarDataHora(2024, 10, 31, 15, 0, 0);
    struct Caso {
        const char* nome;
        bool cnpj, modelo, ano, mes, dia;
        const char* cnpjDoc;
        const char* emitCNPJ;
        const char* esperado;
    } casos[] = {
        {"nada", false, false, false, false, false, "1", "", "/base/"},
        {"mes_sem_ano", false, false, false, true, false, "", "", "/base/202410/"},
        {"ano_e_mes", false, false, true, true, false, "", "", "/base/2024/10/"},
        {"ano_mes_dia", false, false, true, true, true, "", "", "/base/2024/10/31/"},
        {"mes_e_dia_sem_ano", false, false, false, true, true, "", "", "/base/202410/31/"},
        {"cnpj_do_documento", true, false, false, false, false, "08.723.218/0001-86", "1",
         "/base/08723218000186/"},
        {"cnpj_da_config", true, false, false, false, false, "", "11.222.333/0001-44",
         "/base/11222333000144/"},
        {"sem_cnpj_algum", true, false, false, false, false, "", "", "/base/"},
        {"tudo", true, true, true, true, true, "123", "", "/base/123/CFe/2024/10/31/"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        a.SepararPorCNPJ = c.cnpj;
        a.SepararPorModelo = c.modelo;
        a.SepararPorAno = c.ano;
        a.setSepararPorMes(c.mes);
        a.setSepararPorDia(c.dia);
        sat.Config().emit_CNPJ = c.emitCNPJ;
        EXPECT_EQ(a.CalcPath("/base", c.cnpjDoc, d), c.esperado);
    }
}

TEST(ConfigArquivos, SemDataUsaHojeEOEventoPodeMudarAPasta) {
    TOrvSAT sat;
    auto& a = sat.ConfigArquivos();
    a.SepararPorAno = true;
    a.setSepararPorMes(true);
    std::string cnpjVisto;
    TDateTime dataVista = -1;
    sat.OnCalcPath = [&](std::string& pasta, const std::string& cnpj, TDateTime data) {
        cnpjVisto = cnpj;
        dataVista = data;
        pasta += "/extra";
    };
    TDateTime antes = agora();
    std::string pasta = a.CalcPath("/base/", " 12-3 ", 0);
    PartesData p = decodificarDataHora(dataVista);
    EXPECT_GE(dataVista, antes);
    char esperado[64];
    std::snprintf(esperado, sizeof esperado, "/base/%04d/%02d/extra/", p.ano, p.mes);
    EXPECT_EQ(pasta, esperado);
    EXPECT_EQ(cnpjVisto, " 12-3 ");  // unchanged without CNPJ separation
    a.SepararPorCNPJ = true;
    a.CalcPath("/base/", " 12-3 ", 0);
    EXPECT_EQ(cnpjVisto, "123");
}

TEST(ConfigArquivos, NomesDosDocumentos) {
    PastaTemp tmp;
    TOrvSAT sat;
    auto& a = sat.ConfigArquivos();
    a.SepararPorAno = true;
    const std::string chave = "35241008723218000186599000040190000010000019";
    sat.CFe().infCFe.ID = chave;
    sat.CFe().ide.setDEmi(codificarData(2024, 10, 31));
    std::string nome = sat.CalcCFeNomeArq(tmp.str() + "/Enviados", "", "", ".xml");
    EXPECT_EQ(nome, tmp.str() + "/Enviados/2024/AD" + chave + ".xml");
    EXPECT_TRUE(fs::is_directory(tmp.p / "Enviados" / "2024"));  // made with its parents
    EXPECT_EQ(sat.CalcCFeNomeArq(tmp.str(), "X", "-env", ".xml"), tmp.str() + "/2024/X-env.xml");

    a.SepararPorAno = false;
    // Before the device answers the cancellation has only the cancelled key.
    sat.CFe2CFeCanc();
    EXPECT_EQ(sat.CFeCanc().infCFe.chCanc, "CFe" + chave);
    EXPECT_EQ(sat.CalcCFeCancNomeArq(tmp.str() + "/", "", "-env", ".xml"),
              tmp.str() + "/ADC" + chave + "-env.xml");
    sat.CFeCanc().infCFe.ID = "35241108723218000186599000040190000020000024";
    a.PrefixoArqCFeCanc = "C";
    EXPECT_EQ(sat.CalcCFeCancNomeArq(tmp.str(), "", "", ".xml"),
              tmp.str() + "/C35241108723218000186599000040190000020000024.xml");
}
