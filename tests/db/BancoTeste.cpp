#include "BancoTeste.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

namespace orv::teste {

namespace {

std::atomic<int> gContador{0};

// The administrator's connection to the server's own database, opened once per process.
TConexao& administrador() {
    static TConexao adm;
    if (!adm.Connected()) {
        TBancoTeste::configurar(adm, "postgres", "UTF8");
        try {
            adm.Connect();
        } catch (const EBancoDados& e) {
            throw std::runtime_error(std::string(e.what()) +
                                     "\nIs the test server running? bash scripts/pg.sh start");
        }
    }
    return adm;
}

void executarAdm(const std::string& sql) {
    TConsulta q(&administrador());
    q.SQL = sql;
    q.ExecSQL();
}

} // namespace

void TBancoTeste::configurar(TConexao& c, const std::string& banco, const std::string& pagina) {
    c.HostName = PG_HOST;
    c.Port = PG_PORTA;
    c.Database = banco;
    c.User = "postgres";
    c.Password = PG_SENHA;
    c.ClientCodepage = pagina;
}

TBancoTeste::TBancoTeste(std::string_view modelo) {
    fNome = "t_" + std::to_string(::getpid()) + "_" + std::to_string(++gContador);
    executarAdm("DROP DATABASE IF EXISTS " + fNome + " WITH (FORCE)");
    executarAdm("CREATE DATABASE " + fNome + " TEMPLATE " + std::string(modelo));
    configurar(fConexao, fNome, "UTF8");
    fConexao.Connect();
}

TBancoTeste::~TBancoTeste() {
    fConexao.Disconnect();
    try {
        executarAdm("DROP DATABASE IF EXISTS " + fNome + " WITH (FORCE)");
    } catch (const std::exception&) {
    }
}

void TBancoTeste::executar(const std::string& sql) {
    TConsulta q(&fConexao);
    q.SQL = sql;
    q.ExecSQL();
}

std::string TBancoTeste::valor(const std::string& sql) {
    TConsulta q(&fConexao);
    q.SQL = sql;
    q.Open();
    if (q.Eof() || q.FieldCount() == 0) return {};
    TCampo c(q.FieldByName(q.FieldNames().front()));
    return c.AsString();
}

void TBancoTeste::derrubarSessoes() {
    executarAdm("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + fNome +
                "' AND pid <> " + std::to_string(fConexao.pidServidor()));
}

void TBancoTeste::derrubarSessao(int pid) {
    executarAdm("SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    // The backend is gone once it no longer shows; wait for it so the next statement of the
    // test meets a closed socket.
    for (int i = 0; i < 200; ++i) {
        TConsulta q(&administrador());
        q.SQL = "SELECT 1 FROM pg_stat_activity WHERE pid = " + std::to_string(pid);
        q.Open();
        if (q.Eof()) return;
        ::usleep(10000);
    }
}

TPastaTemp::TPastaTemp() {
    std::string modelo = (std::filesystem::temp_directory_path() / "orvane-db-XXXXXX").string();
    if (!::mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
    fCaminho = modelo + "/";
}

TPastaTemp::~TPastaTemp() {
    std::error_code ec;
    std::filesystem::remove_all(fCaminho, ec);
}

void TPastaTemp::escrever(const std::string& nome, const std::string& conteudo) const {
    std::ofstream(fCaminho + nome, std::ios::binary) << conteudo;
}

void escreverIniVD(const TPastaTemp& pasta, const std::string& banco,
                   const std::string& senhaSegura) {
    pasta.escrever("ZVCFGCFI.INI", "[LocalDados]\r\nLOJA=" + std::string(PG_HOST) + "\\" + banco +
                                       "|teste\r\n[ModoSistema]\r\nSenhaSegura=" + senhaSegura +
                                       "\r\n");
}

int TLogMemoria::contar(std::string_view trecho) const {
    int n = 0;
    for (const auto& [linha, cor] : registro)
        if (linha.find(trecho) != std::string::npos) ++n;
    return n;
}

TColor TLogMemoria::cor(std::string_view trecho) const {
    TColor c = clBlack;
    for (const auto& [linha, corLinha] : registro)
        if (linha.find(trecho) != std::string::npos) c = corLinha;
    return c;
}

} // namespace orv::teste
