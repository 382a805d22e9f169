#include "db/DataModule.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "BancoTeste.h"

using namespace orv;
using namespace orv::teste;

namespace {

// A program folder with ZVCFGCFI.INI, a log that keeps its lines, and the data module.
struct Ambiente {
    TPastaTemp pasta;
    TLogMemoria tela;
    TSatLog log{pasta.caminho(), &tela};
    TOrvane_DataModule dm{log, pasta.caminho()};
};

class DataModule : public ::testing::Test {
protected:
    TBancoTeste banco;
    Ambiente a;

    void SetUp() override {
        escreverIniVD(a.pasta, banco.nome());
        ASSERT_TRUE(a.dm.lerIniVD());
    }
};

} // namespace

TEST(LerIniVD, LocalEsenha) {
    const struct {
        const char* nome;
        const char* loja;
        const char* senhaSegura; // nullptr: key absent
        bool resultado;
        const char* host;
        const char* banco;
        std::string_view senha;
    } casos[] = {
        {"com_comentario", "192.168.0.5\\loja01|qualquer coisa", nullptr, true, "192.168.0.5",
         "loja01", TOrvane_DataModule::SENHA_PADRAO},
        {"barras_dobradas_somem", "server\\\\base", "Nao", false, "", "serverbase",
         TOrvane_DataModule::SENHA_PADRAO},
        {"tres_barras", "srv\\\\\\db", "SIM", true, "srv", "db", TOrvane_DataModule::SENHA_SEGURA},
        {"senha_segura_minusculas", "srv\\db", "sim", true, "srv", "db",
         TOrvane_DataModule::SENHA_SEGURA},
        {"senha_outra", "srv\\db", "S", true, "srv", "db", TOrvane_DataModule::SENHA_PADRAO},
        {"sem_barra", "somentebanco", "Nao", false, "", "somentebanco",
         TOrvane_DataModule::SENHA_PADRAO},
        {"sem_loja", "", "Nao", false, "", "", TOrvane_DataModule::SENHA_PADRAO},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Ambiente a;
        std::string ini = "[LocalDados]\nLOJA=" + std::string(c.loja) + "\n";
        if (c.senhaSegura) ini += "[ModoSistema]\nSenhaSegura=" + std::string(c.senhaSegura) + "\n";
        a.pasta.escrever("ZVCFGCFI.INI", ini);
        EXPECT_EQ(a.dm.lerIniVD(), c.resultado);
        EXPECT_EQ(a.dm.host, c.host);
        EXPECT_EQ(a.dm.banco, c.banco);
        EXPECT_EQ(a.dm.senha, c.senha);
        if (c.resultado) {
            EXPECT_TRUE(a.tela.mensagens.empty());
        } else {
            ASSERT_EQ(a.tela.mensagens.size(), 1u);
            EXPECT_EQ(a.tela.mensagens[0], "Não é possível conectar no banco de dados!");
            EXPECT_EQ(a.tela.cor("Não é possível conectar"), clRed);
        }
    }
}

TEST(LerIniVD, ArquivoAusente) {
    Ambiente a;
    EXPECT_FALSE(a.dm.lerIniVD());
    // Nothing read before either: both messages.
    EXPECT_EQ(a.tela.mensagens,
              (std::vector<std::string>{"Não foi possível encontrar o arquivo ZVCFGCFI.INI!",
                                        "Não é possível conectar no banco de dados!"}));

    // With a location read earlier, only the missing file is reported.
    a.pasta.escrever("ZVCFGCFI.INI", "[LocalDados]\nLOJA=srv\\db\n");
    ASSERT_TRUE(a.dm.lerIniVD());
    std::filesystem::remove(a.pasta.caminho() + "ZVCFGCFI.INI");
    a.tela.mensagens.clear();
    EXPECT_FALSE(a.dm.lerIniVD());
    EXPECT_EQ(a.tela.mensagens,
              (std::vector<std::string>{"Não foi possível encontrar o arquivo ZVCFGCFI.INI!"}));
    EXPECT_EQ(a.dm.host, "srv");
}

TEST_F(DataModule, EstadosDaConexaoEAsLinhasDoLog) {
    std::string sql = "SELECT 1 AS UM", erro;
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryServer, sql, erro, true)) << erro;
    EXPECT_EQ(a.dm.estadoConexao, ESTADO_CONECTADO);
    EXPECT_EQ(sql, "SET CLIENT_ENCODING='WIN1252';SELECT 1 AS UM");
    EXPECT_EQ(a.tela.contar("Banco de dados conectado."), 1);
    EXPECT_EQ(a.tela.cor("Banco de dados conectado."), clGreen);

    sql = "SELECT 2 AS DOIS";
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryServer, sql, erro, false)) << erro;
    EXPECT_EQ(sql, "SELECT 2 AS DOIS");
    EXPECT_EQ(a.dm.estadoConexao, ESTADO_JA_ABERTA);
    EXPECT_EQ(a.dm.qryServer.FieldByName("DOIS").AsInteger(), 2);

    // A change statement connects on its own: the state moves to "later connection", and the
    // select connection that is still open logs nothing.
    ASSERT_TRUE(a.dm.fisSqlUpdate("INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIXXXCFG')", erro))
        << erro;
    EXPECT_EQ(a.dm.estadoConexao, ESTADO_RECONECTADO);
    sql = "SELECT 3";
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryServer, sql, erro, true)) << erro;
    EXPECT_EQ(a.tela.contar("Banco de dados"), 1);

    EXPECT_TRUE(a.dm.desconectarBanco());
    EXPECT_EQ(a.tela.contar("Desconectando banco de dados..."), 1);
    EXPECT_FALSE(a.dm.qryServer.Active());
}

TEST_F(DataModule, ConexaoRecusadaDevolveOErro) {
    a.dm.senha = "errada";
    std::string sql = "SELECT 1", erro;
    EXPECT_FALSE(a.dm.fisSqlSelect(a.dm.qryServer, sql, erro, true));
    EXPECT_NE(erro.find("SQL Error: "), std::string::npos);
    EXPECT_NE(erro.find("password authentication failed"), std::string::npos) << erro;
    EXPECT_EQ(a.dm.estadoConexao, ESTADO_NUNCA);
    EXPECT_FALSE(a.dm.fisSqlUpdate("SELECT 1", erro));
    EXPECT_NE(erro.find("password authentication failed"), std::string::npos) << erro;
}

TEST_F(DataModule, FisSqlSelectReconectaUmaVezQuandoOServidorDerrubou) {
    banco.executar(
        "INSERT INTO ZVNFCCFI (CFITIPNFC, CFIPRCNFC) VALUES ('SAT', 'EN'), ('SAT', 'EN')");
    std::string sql = "SELECT 1", erro;
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryProcessa, sql, erro, true)) << erro;
    banco.derrubarSessao(a.dm.cncSelect.pidServidor());

    sql = "SELECT SR_RECNO FROM ZVNFCCFI WHERE CFIPRCNFC = 'EN' ORDER BY SR_RECNO";
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryProcessa, sql, erro, true)) << erro;
    EXPECT_EQ(erro, "");
    EXPECT_EQ(a.dm.qryProcessa.RecordCount(), 2);
    EXPECT_EQ(a.tela.contar("Banco de dados reconectado."), 1);
    EXPECT_EQ(a.tela.cor("Banco de dados reconectado."), clGreen);
    // Tried twice, so the prefix went in twice; the server takes it.
    EXPECT_EQ(sql.rfind("SET CLIENT_ENCODING='WIN1252';SET CLIENT_ENCODING='WIN1252';SELECT", 0),
              0u);
}

TEST_F(DataModule, FisSqlSelectNaoRepeteOutrosErros) {
    std::string sql = "SELECT NAOEXISTE FROM ZVNFCCFI", erro;
    EXPECT_FALSE(a.dm.fisSqlSelect(a.dm.qryServer, sql, erro, true));
    EXPECT_EQ(erro.rfind("SQL Error: ", 0), 0u) << erro;
    EXPECT_NE(erro.find("naoexiste"), std::string::npos) << erro;
    EXPECT_EQ(sql.rfind("SET CLIENT_ENCODING='WIN1252';SELECT", 0), 0u);
    EXPECT_EQ(a.tela.contar("reconectado"), 0);
}

TEST_F(DataModule, FisSqlUpdateNaoDeixaNadaQuandoUmComandoFalha) {
    std::string erro;
    EXPECT_FALSE(a.dm.fisSqlUpdate("INSERT INTO ZVODECFI (CFIPRCODE) VALUES ('EME');"
                                   "UPDATE ZVODECFI SET NAOEXISTE = 1;",
                                   erro));
    EXPECT_EQ(erro.rfind("SQL Error: ", 0), 0u) << erro;
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ZVODECFI"), "0");

    erro.clear();
    EXPECT_TRUE(a.dm.fisSqlUpdate("INSERT INTO ZVODECFI (CFIPRCODE, CFIINFODE) VALUES ('EME', " +
                                      sqlVarToStr(std::string("Status 1 - ção"), "C") + ");",
                                  erro))
        << erro;
    EXPECT_EQ(erro, "");
    EXPECT_EQ(banco.valor("SELECT CFIINFODE FROM ZVODECFI"), "Status 1 - ção");
    // Its connection is closed when it returns (the server notices a moment later).
    std::string sessoes;
    for (int i = 0; i < 200; ++i) {
        sessoes =
            banco.valor("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()");
        if (sessoes == "1") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(sessoes, "1");
}

TEST_F(DataModule, ExecutarSql) {
    std::string erro;
    std::string dummy = "SELECT 1";
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryTest, dummy, erro, true)) << erro;
    TConsulta& q = a.dm.qryTest;

    // "select " in lower case, after blanks, is a query: it opens and has rows.
    EXPECT_TRUE(a.dm.executarSql(q, "  select 5 AS CINCO", true, true, true));
    ASSERT_TRUE(q.Active());
    EXPECT_EQ(q.FieldByName("CINCO").AsInteger(), 5);

    EXPECT_TRUE(a.dm.executarSql(q, "INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIAAACFG')", true));
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ZVCFGCFI"), "1");

    // Raise: the message of the failure, nothing applied.
    try {
        a.dm.executarSql(q, "INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIBBBCFG');SELEC", false);
        ADD_FAILURE() << "no error";
    } catch (const EBancoDados& e) {
        EXPECT_EQ(std::string(e.what()).rfind("SQL Error: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ZVCFGCFI"), "1");

    // Without raise, a lost connection is reconnected once.
    banco.derrubarSessao(q.Connection()->pidServidor());
    EXPECT_TRUE(a.dm.executarSql(q, "SELECT 6 AS SEIS", true, false, true));
    EXPECT_EQ(q.FieldByName("SEIS").AsInteger(), 6);
    // ... and without retry it is only reported.
    banco.derrubarSessao(q.Connection()->pidServidor());
    EXPECT_FALSE(a.dm.executarSql(q, "SELECT 7", true, false, false));
}

TEST_F(DataModule, LerCfgVD) {
    banco.executar("INSERT INTO ZVCFGCFI (CFICMPCFG, CFIVALCFG, CFIVA1CFG, CFIVA2CFG) VALUES "
                   "('CFIVERCFG', '3.12', 'dois', '4.01')");
    std::string v;
    EXPECT_TRUE(a.dm.lerCfgVD("VER", "1", v, "msg"));
    EXPECT_EQ(v, "3.12");
    EXPECT_TRUE(a.dm.lerCfgVD("VER", "2", v));
    EXPECT_EQ(v, "dois");
    EXPECT_TRUE(a.dm.lerCfgVD("VER", "3", v));
    EXPECT_EQ(v, "4.01");
    EXPECT_TRUE(a.dm.lerCfgVD("VER", "9", v));
    EXPECT_EQ(v, "");
    EXPECT_TRUE(a.tela.mensagens.empty());

    // No row: false; the default when given; the message box when given.
    v = "antigo";
    EXPECT_FALSE(a.dm.lerCfgVD("CNX", "1", v, std::nullopt, "N"));
    EXPECT_EQ(v, "N");
    EXPECT_TRUE(a.tela.mensagens.empty());
    EXPECT_FALSE(
        a.dm.lerCfgVD("NLJ", "1", v, "Não foi possivel ler o número da unidade de negócios!"));
    EXPECT_EQ(v, "");
    EXPECT_EQ(a.tela.mensagens,
              (std::vector<std::string>{"Não foi possivel ler o número da unidade de negócios!"}));

    // A code holding an apostrophe is only a value.
    EXPECT_FALSE(a.dm.lerCfgVD("X' OR '1'='1", "1", v));
}

TEST_F(DataModule, CampoFIS) {
    banco.executar("INSERT INTO ZVNFCCFI (CFITIPNFC, CFIECFNFC, CFIPRCNFC, CFIVMFNFC, CFINCFNFC) "
                   "VALUES ('SAT', 3, 'EN', '1.0.012', 0)");
    std::string sql =
        "SELECT CFIVMFNFC AS CFIVMFFIS, CFITIPNFC AS CFITIPFIS, CFINCFNFC AS CFIDOCFIS, "
        "SR_RECNO FROM ZVNFCCFI WHERE CFITIPNFC = 'SAT' AND CFIECFNFC = 3 AND CFIPRCNFC = 'EN' "
        "AND CFINCFNFC = 0 ORDER BY SR_RECNO LIMIT 5";
    std::string erro;
    ASSERT_TRUE(a.dm.fisSqlSelect(a.dm.qryProcessa, sql, erro, true)) << erro;

    auto vmf = a.dm.campoFIS("VMF");
    ASSERT_TRUE(vmf);
    EXPECT_EQ(vmf->AsString(), "1.0.012");
    EXPECT_EQ(a.dm.campoFIS("DOC")->AsInteger(), 0);
    auto recno = a.dm.campoFIS("SR_RECNO");
    ASSERT_TRUE(recno);
    EXPECT_EQ(recno->AsInteger(), 1);
    EXPECT_TRUE(a.tela.mensagens.empty());

    EXPECT_FALSE(a.dm.campoFIS("XYZ"));
    ASSERT_EQ(a.tela.mensagens.size(), 1u);
    EXPECT_EQ(a.tela.mensagens[0].rfind("Erro ao ler CFIXYZFIS\r", 0), 0u) << a.tela.mensagens[0];
    EXPECT_EQ(a.tela.cor("Erro ao ler CFIXYZFIS"), clRed);
}

TEST_F(DataModule, ValorUnico) {
    banco.executar("INSERT INTO ZVPETCFI (CFICODPET, CFIPEDPET, CFINLJPET, CFITIPPET) VALUES "
                   "(12, 777, 1, 'PED'), (NULL, 778, 1, 'PED')");
    TVariante v;
    a.dm.valorUnico("ZVPETCFI", "CFICODPET", v, std::int64_t{0},
                    "CFIPEDPET = 777 AND CFINLJPET = 1", "CFIPETPED");
    EXPECT_EQ(v, TVariante(std::int64_t{12}));
    a.dm.valorUnico("ZVPETCFI", "CFICODPET", v, std::int64_t{0}, "CFIPEDPET = 778", "CFIPETPED");
    EXPECT_EQ(v, TVariante(std::int64_t{0}));
    a.dm.valorUnico("ZVPETCFI", "CFICODPET", v, std::int64_t{-1}, "CFIPEDPET = 999");
    EXPECT_EQ(v, TVariante(std::int64_t{-1}));
    EXPECT_EQ(a.tela.contar("Erro"), 0);

    // A failing select is logged in red and gives the default.
    a.dm.valorUnico("NAOEXISTE", "X", v, std::string("padrão"), "1 = 1");
    EXPECT_EQ(v, TVariante(std::string("padrão")));
    EXPECT_EQ(a.tela.cor("naoexiste"), clRed);
}
