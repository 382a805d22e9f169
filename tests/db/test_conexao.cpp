#include "db/Conexao.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "BancoTeste.h"
#include "db/SqlTexto.h"
#include "support/DataHora.h"

using namespace orv;
using namespace orv::teste;

namespace {

class Conexao : public ::testing::Test {
protected:
    TBancoTeste banco;

    // A connection to the test database in a client encoding.
    void abrir(TConexao& c, const std::string& pagina = "WIN1252") {
        TBancoTeste::configurar(c, banco.nome(), pagina);
        c.Connect();
    }
};

std::string erroDe(TConsulta& q) {
    try {
        q.Open();
    } catch (const EBancoDados& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST_F(Conexao, CamposPorNomeEmMaiusculasComTipos) {
    TConexao c;
    abrir(c);
    TConsulta q(&c);
    q.SQL = "SELECT 42 AS CFINCFNFC, 12.50::numeric AS valor, NULL::text AS vazio, "
            "DATE '2024-03-05' AS dia, TIME '14:03:59' AS hora, "
            "TIMESTAMP '2024-03-05 14:03:59.5' AS momento, true AS sim, 'x' AS \"MiXto\" "
            "UNION ALL SELECT 7, 0, 'a', NULL, NULL, NULL, false, 'y'";
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.FieldByName("CFINCFNFC").AsInteger(), 42);
    EXPECT_EQ(q.FieldByName("cfincfnfc").AsString(), "42");
    EXPECT_EQ(q.FieldByName("VALOR").AsCurrency(), Currency::deRaw(125000));
    EXPECT_DOUBLE_EQ(q.FieldByName("VALOR").AsFloat(), 12.5);
    EXPECT_TRUE(q.FieldByName("VAZIO").IsNull());
    EXPECT_EQ(q.FieldByName("VAZIO").AsString(), "");
    EXPECT_TRUE(ehNulo(q.FieldByName("VAZIO").Value()));
    EXPECT_EQ(q.FieldByName("DIA").AsDateTime(), codificarData(2024, 3, 5));
    EXPECT_EQ(formatarDataHora("hh:mm:ss", q.FieldByName("HORA").AsDateTime()), "14:03:59");
    EXPECT_EQ(formatarDataHora("yyyy-mm-dd hh:nn:ss.zzz", q.FieldByName("MOMENTO").AsDateTime()),
              "2024-03-05 14:03:59.500");
    EXPECT_TRUE(q.FieldByName("SIM").AsBoolean());
    EXPECT_EQ(q.FieldByName("MIXTO").AsString(), "x");
    EXPECT_EQ(std::get<std::int64_t>(q.FieldByName("CFINCFNFC").Value()), 42);
    EXPECT_EQ(std::get<double>(q.FieldByName("VALOR").Value()), 12.5);
    EXPECT_FALSE(q.FindField("NAOEXISTE").has_value());
    EXPECT_THROW(q.FieldByName("NAOEXISTE"), EBancoDados);

    q.Next();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("CFINCFNFC").AsInteger(), 7);
    EXPECT_TRUE(q.FieldByName("DIA").IsNull());
    EXPECT_EQ(q.FieldByName("DIA").AsDateTime(), 0);
    q.Next();
    EXPECT_TRUE(q.Eof());
    q.First();
    EXPECT_EQ(q.FieldByName("CFINCFNFC").AsInteger(), 42);
}

TEST_F(Conexao, TextoDeVariosComandosDevolveOUltimo) {
    TConexao c;
    abrir(c);
    TConsulta q(&c);
    q.SQL = "SET CLIENT_ENCODING='WIN1252';SELECT 1 AS A;SELECT 'ção' AS B";
    q.Open();
    ASSERT_EQ(q.FieldCount(), 1);
    EXPECT_EQ(q.FieldByName("B").AsString(), "ção");

    q.SQL = "BEGIN;INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIAAACFG');"
            "INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIBBBCFG');;COMMIT";
    q.ExecSQL();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM ZVCFGCFI"), "2");
}

// Whatever way the connection went, the error reads as a lost connection, and the session
// knows it is closed.
TEST_F(Conexao, SessaoDerrubadaLeComoSemConexao) {
    TConexao c;
    abrir(c);
    TConsulta q(&c);
    q.SQL = "SELECT 1";
    q.Open();
    banco.derrubarSessao(c.pidServidor());

    std::string erro = erroDe(q);
    EXPECT_EQ(erro.rfind("SQL Error: no connection to the server", 0), 0u) << erro;
    EXPECT_FALSE(c.Connected());
    erro = erroDe(q);
    EXPECT_EQ(erro.rfind("SQL Error: no connection to the server", 0), 0u) << erro;

    c.Connect();
    q.Open();
    EXPECT_EQ(q.FieldByName("?column?").AsInteger(), 1);
}

TEST_F(Conexao, FalhasDeConexaoTrazemAMensagemDoCliente) {
    TConexao senhaErrada;
    TBancoTeste::configurar(senhaErrada, banco.nome(), "WIN1252");
    senhaErrada.Password = "errada";
    try {
        senhaErrada.Connect();
        FAIL() << "connected with a wrong password";
    } catch (const EBancoDados& e) {
        std::string m = e.what();
        EXPECT_EQ(m.rfind("SQL Error: ", 0), 0u) << m;
        EXPECT_NE(m.find("password authentication failed"), std::string::npos) << m;
    }
    EXPECT_FALSE(senhaErrada.Connected());

    // Nobody listens on this port: refused at once, not after the timeout.
    TConexao semServidor;
    TBancoTeste::configurar(semServidor, banco.nome(), "WIN1252");
    semServidor.Port = 1;
    auto inicio = std::chrono::steady_clock::now();
    EXPECT_THROW(semServidor.Connect(), EBancoDados);
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(4));

    TConsulta q(&semServidor);
    q.SQL = "SELECT 1";
    EXPECT_EQ(erroDe(q), "SQL Error: no connection to the server");
}

// A failing statement inside an explicit transaction must not leave the session stuck in an
// aborted transaction: the connection serves the next statement and nothing was applied.
TEST_F(Conexao, TransacaoQueFalhaNaoTravaASessao) {
    TConexao c;
    abrir(c);
    TConsulta q(&c);
    q.SQL = "BEGIN;INSERT INTO ZVCFGCFI (CFICMPCFG) VALUES ('CFIAAACFG');"
            "INSERT INTO NAOEXISTE VALUES (1);COMMIT";
    try {
        q.ExecSQL();
        FAIL() << "no error";
    } catch (const EBancoDados& e) {
        EXPECT_NE(std::string(e.what()).find("naoexiste"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(c.Connected());
    q.SQL = "SELECT COUNT(*) AS N FROM ZVCFGCFI";
    q.Open();
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 0);
}

// Text goes out through sqlVarToStr "C" in the connection's code page and comes back intact;
// only what the code page cannot hold turns into "?". The literal must hold whether the server
// reads backslashes as escapes or not.
TEST_F(Conexao, TextoIdaEVoltaPorPaginaEConformidade) {
    const std::string texto = "ção 'aspas' \\' barra\\\\dupla\r\nlinha? ő";
    const std::string esperado = "ção 'aspas' \\' barra\\\\dupla\r\nlinha? ?";
    const struct {
        const char* pagina;
        const char* conformidade;
    } casos[] = {{"WIN1252", "on"}, {"WIN1252", "off"}, {"LATIN1", "on"}, {"LATIN1", "off"}};
    int recno = 0;
    for (const auto& caso : casos) {
        SCOPED_TRACE(std::string(caso.pagina) +
                     " standard_conforming_strings=" + caso.conformidade);
        TConexao c;
        abrir(c, caso.pagina);
        TConsulta q(&c);
        q.SQL = std::string("SET standard_conforming_strings = ") + caso.conformidade;
        q.ExecSQL();
        ASSERT_EQ(c.parametro("standard_conforming_strings"), caso.conformidade);

        q.SQL = "INSERT INTO ZVNFCCFI (SR_RECNO, CFIRETNFC) VALUES (" + std::to_string(++recno) +
                ", " + sqlVarToStr(texto, "C") + ")";
        q.ExecSQL();
        EXPECT_EQ(q.RowsAffected(), 1);
        q.SQL = "SELECT CFIRETNFC FROM ZVNFCCFI WHERE SR_RECNO = " + std::to_string(recno) +
                " AND CFIRETNFC = " + sqlVarToStr(esperado, "C");
        q.Open();
        ASSERT_FALSE(q.Eof());
        EXPECT_EQ(q.FieldByName("CFIRETNFC").AsString(), esperado);
    }
    // Stored as the characters themselves, not as some escaped form.
    EXPECT_EQ(banco.valor("SELECT COUNT(DISTINCT CFIRETNFC) FROM ZVNFCCFI"), "1");
    EXPECT_EQ(banco.valor("SELECT length(CFIRETNFC) FROM ZVNFCCFI LIMIT 1"), "37");
}

// The encoding prefix changes the session's encoding: the text went out in the old one, the
// answer is read in the new one (the euro sign exists in WIN1252, not in LATIN1).
TEST_F(Conexao, RespostaSegueACodificacaoDaSessao) {
    TConexao c;
    abrir(c, "LATIN1");
    TConsulta q(&c);
    q.SQL = "SET CLIENT_ENCODING='WIN1252';SELECT chr(8364) || 'ção' AS T";
    q.Open();
    EXPECT_EQ(c.clientEncoding(), "WIN1252");
    EXPECT_EQ(q.FieldByName("T").AsString(), "€ção");
}

// A server set up with another date style still gives dates the program reads.
TEST_F(Conexao, DatasQualquerQueSejaOEstiloDoServidor) {
    banco.executar("ALTER DATABASE " + banco.nome() + " SET DateStyle = 'German, DMY'");
    TConexao c;
    abrir(c);
    TConsulta q(&c);
    q.SQL = "SELECT DATE '2024-03-05' AS D, TIMESTAMP '2024-03-05 14:03:59' AS M";
    q.Open();
    EXPECT_EQ(q.FieldByName("D").AsDateTime(), codificarData(2024, 3, 5));
    EXPECT_EQ(q.FieldByName("M").AsDateTime(), codificarDataHora(2024, 3, 5, 14, 3, 59));
}

namespace {

// Stands between a client and the server and can cut the line: both sockets closed at once,
// as when a cable or a router goes, with no goodbye from the server.
class TLinha {
public:
    TLinha() {
        fEscuta = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in end{};
        end.sin_family = AF_INET;
        end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t tam = sizeof end;
        if (::bind(fEscuta, reinterpret_cast<sockaddr*>(&end), tam) != 0 ||
            ::listen(fEscuta, 1) != 0 ||
            ::getsockname(fEscuta, reinterpret_cast<sockaddr*>(&end), &tam) != 0)
            throw std::runtime_error("linha: socket");
        fPorta = ntohs(end.sin_port);
        fThread = std::thread([this] { passar(); });
    }
    ~TLinha() {
        cortar();
        fThread.join();
        ::close(fEscuta);
    }
    int porta() const { return fPorta; }
    void cortar() {
        fCortada = true;
        for (int s : {fCliente.load(), fServidor.load()})
            if (s >= 0) ::shutdown(s, SHUT_RDWR);
    }

private:
    void passar() {
        pollfd p{fEscuta, POLLIN, 0};
        while (!fCortada && ::poll(&p, 1, 50) == 0) {
        }
        if (fCortada) return;
        fCliente = ::accept(fEscuta, nullptr, nullptr);
        fServidor = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in srv{};
        srv.sin_family = AF_INET;
        srv.sin_port = htons(PG_PORTA);
        srv.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fServidor, reinterpret_cast<sockaddr*>(&srv), sizeof srv) != 0) return;
        char buf[8192];
        while (!fCortada) {
            pollfd ps[2] = {{fCliente, POLLIN, 0}, {fServidor, POLLIN, 0}};
            if (::poll(ps, 2, 50) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (!(ps[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                ssize_t n = ::read(ps[i].fd, buf, sizeof buf);
                if (n <= 0 || ::write(ps[1 - i].fd, buf, n) != n) fCortada = true;
            }
        }
        ::close(fCliente);
        ::close(fServidor);
    }

    int fEscuta = -1;
    int fPorta = 0;
    std::atomic<int> fCliente{-1}, fServidor{-1};
    std::atomic<bool> fCortada{false};
    std::thread fThread;
};

} // namespace

// The line goes while a statement runs, and no message comes from the server.
TEST_F(Conexao, LinhaCortadaNoMeioDoComandoLeComoSemConexao) {
    TLinha linha;
    TConexao c;
    TBancoTeste::configurar(c, banco.nome(), "WIN1252");
    c.Port = linha.porta();
    c.Connect();
    TConsulta q(&c);
    q.SQL = "SELECT pg_sleep(10)";
    std::thread corte([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        linha.cortar();
    });
    auto inicio = std::chrono::steady_clock::now();
    std::string erro = erroDe(q);
    corte.join();
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
    EXPECT_EQ(erro.rfind("SQL Error: no connection to the server", 0), 0u) << erro;
    EXPECT_FALSE(c.Connected());
}
