#include "Estado.h"

#include "Util.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace satemu {

namespace {

const char* kEsquema = R"(
CREATE TABLE IF NOT EXISTS dispositivo(
  id INTEGER PRIMARY KEY CHECK (id = 1),
  serie TEXT NOT NULL, codigo_ativacao TEXT NOT NULL, cnpj_contribuinte TEXT NOT NULL, uf INTEGER NOT NULL,
  ativado INTEGER NOT NULL, vinculado INTEGER NOT NULL, cnpj_sh TEXT NOT NULL, sign_ac TEXT NOT NULL,
  bloqueio TEXT NOT NULL, ultimo_ncfe INTEGER NOT NULL, ultima_resposta_fiscal TEXT NOT NULL, criado TEXT NOT NULL,
  chave_ac TEXT NOT NULL, cert_ac TEXT NOT NULL, chave TEXT NOT NULL, cert TEXT NOT NULL,
  cert_emissao TEXT NOT NULL, cert_vencimento TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS documentos(
  seq INTEGER PRIMARY KEY AUTOINCREMENT, ncfe INTEGER NOT NULL, chave TEXT NOT NULL UNIQUE, tipo TEXT NOT NULL,
  carimbo TEXT NOT NULL, vcfe TEXT NOT NULL, dest TEXT NOT NULL, xml TEXT NOT NULL,
  chave_cancelada TEXT NOT NULL, cancelado INTEGER NOT NULL DEFAULT 0, sessao INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessoes(
  numero INTEGER PRIMARY KEY, comando TEXT NOT NULL, resposta TEXT NOT NULL, carimbo TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS parametros(chave TEXT PRIMARY KEY, valor TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS registro(
  seq INTEGER PRIMARY KEY AUTOINCREMENT, carimbo TEXT NOT NULL, sessao INTEGER NOT NULL,
  comando TEXT NOT NULL, codigo TEXT NOT NULL);
)";

// One prepared statement with positional binds.
class Cmd {
public:
    Cmd(sqlite3* db, const char* sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Cmd() { sqlite3_finalize(st_); }
    Cmd& t(const std::string& v)
    {
        sqlite3_bind_text(st_, ++n_, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Cmd& i(long long v)
    {
        sqlite3_bind_int64(st_, ++n_, v);
        return *this;
    }
    bool linha()
    {
        int r = sqlite3_step(st_);
        if (r == SQLITE_ROW) return true;
        if (r == SQLITE_DONE) return false;
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db_));
    }
    void executar() { linha(); }
    std::string s(int c)
    {
        const unsigned char* p = sqlite3_column_text(st_, c);
        return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(st_, c)) : std::string();
    }
    long long n(int c) { return sqlite3_column_int64(st_, c); }

private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    int n_ = 0;
};

const char* kColunasDoc = "seq, ncfe, chave, tipo, carimbo, vcfe, dest, xml, chave_cancelada, cancelado, sessao";

Documento lerDocumento(Cmd& c)
{
    Documento d;
    d.seq = c.n(0);
    d.ncfe = c.n(1);
    d.chave = c.s(2);
    d.tipo = c.s(3);
    d.carimbo = c.s(4);
    d.vCFe = c.s(5);
    d.dest = c.s(6);
    d.xml = c.s(7);
    d.chaveCancelada = c.s(8);
    d.cancelado = c.n(9) != 0;
    d.sessao = static_cast<int>(c.n(10));
    return d;
}

std::string arquivoBanco(const std::string& pasta) { return pasta + "/satemu.db"; }

}  // namespace

Estado::Estado(const Configuracao& cfg) : pasta_(cfg.pastaEstado)
{
    std::error_code ec;
    std::filesystem::create_directories(pasta_, ec);
    if (sqlite3_open_v2(arquivoBanco(pasta_).c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string erro = db_ ? sqlite3_errmsg(db_) : "sem memoria";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("nao foi possivel abrir o estado em " + pasta_ + ": " + erro);
    }
    sqlite3_busy_timeout(db_, 10000);
    // The state is opened for every command; checkpointing at each close would cost a sync of
    // the whole file per command. The WAL is checkpointed as it grows instead.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=FULL");
    exec(kEsquema);
    Cmd c(db_, "SELECT COUNT(*) FROM dispositivo");
    c.linha();
    if (c.n(0) == 0) criar(cfg);
    carregar();
}

Estado::~Estado() { sqlite3_close(db_); }

void Estado::apagar(const Configuracao& cfg)
{
    std::error_code ec;
    for (const char* sufixo : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(arquivoBanco(cfg.pastaEstado) + sufixo, ec);
    for (const char* f : {"/ac.pem", "/certificado.pem"}) std::filesystem::remove(cfg.pastaEstado + f, ec);
}

void Estado::exec(const char* sql)
{
    char* erro = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &erro) != SQLITE_OK) {
        std::string m = erro ? erro : "erro";
        sqlite3_free(erro);
        throw std::runtime_error("SQLite: " + m);
    }
}

void Estado::iniciar() { exec("BEGIN IMMEDIATE"); }
void Estado::confirmar() { exec("COMMIT"); }
void Estado::desfazer()
{
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Estado::criar(const Configuracao& cfg)
{
    // The serial and the state code are parts of every access key: refuse what cannot make one.
    if (cfg.numeroSerie.size() != 9 || !soDigitos(cfg.numeroSerie))
        throw std::runtime_error("numero_serie deve ter 9 dígitos: " + cfg.numeroSerie);
    if (cfg.uf < 11 || cfg.uf > 53) throw std::runtime_error("uf deve ser um código de estado do IBGE: " + std::to_string(cfg.uf));
    // Keys are made outside the transaction: it is the slow part, and a second process
    // creating the same device at once simply loses the INSERT OR IGNORE.
    Credenciais cr = gerarCredenciais(cfg.numeroSerie, cfg.cnpjEmitente);
    std::string criado = formatarHora(agora(cfg.deslocamentoRelogio), "%Y%m%d%H%M%S");
    iniciar();
    try {
        Cmd c(db_, "INSERT OR IGNORE INTO dispositivo VALUES (1,?,?,?,?,?,?,?,?,'DESBLOQUEADO',0,'',?,?,?,?,?,?,?)");
        c.t(cfg.numeroSerie).t(cfg.codigoAtivacao).t(cfg.ativado ? cfg.cnpjEmitente : "").i(cfg.uf);
        c.i(cfg.ativado).i(cfg.ativado && cfg.vinculado);
        c.t(cfg.ativado && cfg.vinculado ? cfg.cnpjSoftwareHouse : "").t(cfg.ativado && cfg.vinculado ? cfg.signAC : "");
        c.t(criado).t(cr.chaveAcPem).t(cr.certificadoAcPem).t(cr.chavePem).t(cr.certificadoPem);
        c.t(cr.emissao).t(cr.vencimento);
        c.executar();
        confirmar();
    } catch (...) {
        desfazer();
        throw;
    }
    carregar();
    // Public halves beside the database, for technicians verifying documents by hand.
    std::ofstream(pasta_ + "/ac.pem") << disp_.cred.certificadoAcPem;
    std::ofstream(pasta_ + "/certificado.pem") << disp_.cred.certificadoPem;
}

void Estado::carregar()
{
    Cmd c(db_, "SELECT serie, codigo_ativacao, cnpj_contribuinte, uf, ativado, vinculado, cnpj_sh, sign_ac, bloqueio, "
               "ultimo_ncfe, ultima_resposta_fiscal, criado, chave_ac, cert_ac, chave, cert, cert_emissao, "
               "cert_vencimento FROM dispositivo WHERE id = 1");
    if (!c.linha()) throw std::runtime_error("registro do dispositivo ausente");
    Dispositivo& d = disp_;
    d.serie = c.s(0);
    d.codigoAtivacao = c.s(1);
    d.cnpjContribuinte = c.s(2);
    d.uf = static_cast<int>(c.n(3));
    d.ativado = c.n(4) != 0;
    d.vinculado = c.n(5) != 0;
    d.cnpjSoftwareHouse = c.s(6);
    d.signAC = c.s(7);
    d.bloqueio = c.s(8);
    d.ultimoNcfe = static_cast<long>(c.n(9));
    d.ultimaRespostaFiscal = c.s(10);
    d.criado = c.s(11);
    d.cred.chaveAcPem = c.s(12);
    d.cred.certificadoAcPem = c.s(13);
    d.cred.chavePem = c.s(14);
    d.cred.certificadoPem = c.s(15);
    d.cred.emissao = c.s(16);
    d.cred.vencimento = c.s(17);
}

void Estado::salvarDispositivo()
{
    const Dispositivo& d = disp_;
    Cmd c(db_, "UPDATE dispositivo SET serie=?, codigo_ativacao=?, cnpj_contribuinte=?, uf=?, ativado=?, vinculado=?, "
               "cnpj_sh=?, sign_ac=?, bloqueio=?, ultimo_ncfe=?, ultima_resposta_fiscal=? WHERE id = 1");
    c.t(d.serie).t(d.codigoAtivacao).t(d.cnpjContribuinte).i(d.uf).i(d.ativado).i(d.vinculado);
    c.t(d.cnpjSoftwareHouse).t(d.signAC).t(d.bloqueio).i(d.ultimoNcfe).t(d.ultimaRespostaFiscal);
    c.executar();
}

void Estado::inserirDocumento(const Documento& d)
{
    Cmd c(db_, "INSERT INTO documentos(ncfe, chave, tipo, carimbo, vcfe, dest, xml, chave_cancelada, cancelado, sessao) "
               "VALUES (?,?,?,?,?,?,?,?,0,?)");
    c.i(d.ncfe).t(d.chave).t(d.tipo).t(d.carimbo).t(d.vCFe).t(d.dest).t(d.xml).t(d.chaveCancelada).i(d.sessao);
    c.executar();
}

void Estado::marcarCancelado(const std::string& chave)
{
    Cmd c(db_, "UPDATE documentos SET cancelado = 1 WHERE chave = ?");
    c.t(chave).executar();
}

std::optional<Documento> Estado::ultimoDocumento()
{
    Cmd c(db_, (std::string("SELECT ") + kColunasDoc + " FROM documentos ORDER BY seq DESC LIMIT 1").c_str());
    if (!c.linha()) return std::nullopt;
    return lerDocumento(c);
}

std::optional<Documento> Estado::primeiroDocumento()
{
    Cmd c(db_, (std::string("SELECT ") + kColunasDoc + " FROM documentos ORDER BY seq LIMIT 1").c_str());
    if (!c.linha()) return std::nullopt;
    return lerDocumento(c);
}

std::optional<Documento> Estado::documentoPorChave(const std::string& chave)
{
    Cmd c(db_, (std::string("SELECT ") + kColunasDoc + " FROM documentos WHERE chave = ?").c_str());
    c.t(chave);
    if (!c.linha()) return std::nullopt;
    return lerDocumento(c);
}

std::optional<Documento> Estado::documentoPorNumero(long ncfe)
{
    Cmd c(db_, (std::string("SELECT ") + kColunasDoc + " FROM documentos WHERE ncfe = ? ORDER BY seq DESC LIMIT 1").c_str());
    c.i(ncfe);
    if (!c.linha()) return std::nullopt;
    return lerDocumento(c);
}

std::vector<Documento> Estado::documentos(bool comXml)
{
    std::vector<Documento> r;
    Cmd c(db_, (std::string("SELECT ") + kColunasDoc + " FROM documentos ORDER BY seq").c_str());
    while (c.linha()) {
        r.push_back(lerDocumento(c));
        if (!comXml) r.back().xml.clear();
    }
    return r;
}

long long Estado::bytesUsados()
{
    Cmd c(db_, "SELECT COALESCE(SUM(LENGTH(xml)), 0) FROM documentos");
    c.linha();
    return c.n(0);
}

std::optional<std::string> Estado::respostaSessao(int numero)
{
    Cmd c(db_, "SELECT resposta FROM sessoes WHERE numero = ?");
    c.i(numero);
    if (!c.linha()) return std::nullopt;
    return c.s(0);
}

void Estado::gravarSessao(int numero, const std::string& comando, const std::string& resposta, const std::string& carimbo)
{
    Cmd c(db_, "INSERT OR REPLACE INTO sessoes(numero, comando, resposta, carimbo) VALUES (?,?,?,?)");
    c.i(numero).t(comando).t(resposta).t(carimbo).executar();
}

std::string Estado::parametro(const std::string& chave, const std::string& padrao)
{
    Cmd c(db_, "SELECT valor FROM parametros WHERE chave = ?");
    c.t(chave);
    return c.linha() ? c.s(0) : padrao;
}

void Estado::gravarParametro(const std::string& chave, const std::string& valor)
{
    Cmd c(db_, "INSERT OR REPLACE INTO parametros(chave, valor) VALUES (?,?)");
    c.t(chave).t(valor).executar();
}

void Estado::registrar(const std::string& carimbo, int sessao, const std::string& comando, const std::string& codigo)
{
    Cmd c(db_, "INSERT INTO registro(carimbo, sessao, comando, codigo) VALUES (?,?,?,?)");
    c.t(carimbo).i(sessao).t(comando).t(codigo).executar();
}

std::vector<LinhaRegistro> Estado::registro(int limite)
{
    std::vector<LinhaRegistro> r;
    Cmd c(db_, "SELECT carimbo, sessao, comando, codigo FROM (SELECT * FROM registro ORDER BY seq DESC LIMIT ?) ORDER BY seq");
    c.i(limite);
    while (c.linha()) r.push_back({c.s(0), static_cast<int>(c.n(1)), c.s(2), c.s(3)});
    return r;
}

}  // namespace satemu
