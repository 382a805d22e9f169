#include "db/Conexao.h"

#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "db/Numeros.h"
#include "support/Texto.h"

namespace orv {

namespace {

using numeros::digitos;
using numeros::lerDouble;
using numeros::lerInteiro;

// Type identifiers of the built-in types whose values are read as something other than text.
constexpr Oid OID_BOOL = 16, OID_INT8 = 20, OID_INT2 = 21, OID_INT4 = 23, OID_OID = 26,
              OID_FLOAT4 = 700, OID_FLOAT8 = 701, OID_NUMERIC = 1700, OID_DATE = 1082,
              OID_TIME = 1083, OID_TIMESTAMP = 1114, OID_TIMESTAMPTZ = 1184;

// Code page of a client encoding name as the server reports it; an unknown name keeps the
// configured one.
int paginaDaCodificacao(std::string_view nome, int padrao) {
    std::string n = maiusculas(nome);
    if (n == "WIN1252") return CP_WIN1252;
    if (n == "LATIN1") return CP_LATIN1;
    if (n == "UTF8" || n == "UNICODE" || n == "SQL_ASCII") return CP_UTF8;
    return padrao;
}

std::string paraPagina(const std::string& utf8, int pagina) {
    return pagina == CP_UTF8 ? utf8 : utf8ParaPagina(utf8, pagina);
}

std::string dePagina(std::string_view bytes, int pagina) {
    return pagina == CP_UTF8 ? std::string(bytes) : paginaParaUtf8(bytes, pagina);
}

std::string semQuebraFinal(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

void ignorarAviso(void*, const char*) {}

// "hh:mm:ss[.fff...]" from `pos`; false when it is not there.
bool lerHora(std::string_view s, std::size_t pos, TDateTime& hora) {
    int h = digitos(s, pos, 2), m = digitos(s, pos + 3, 2), seg = digitos(s, pos + 6, 2);
    if (h < 0 || m < 0 || seg < 0 || s[pos + 2] != ':' || s[pos + 5] != ':') return false;
    int ms = 0;
    std::size_t i = pos + 8;
    if (i < s.size() && s[i] == '.') {
        int escala = 100;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            ms += (s[i] - '0') * escala;
            escala /= 10;
        }
    }
    if (h == 24) h = 0; // "24:00:00" is a valid time of the type
    try {
        hora = codificarHora(h, m, seg, ms);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// ISO dates, times and time stamps as the server writes them with DateStyle ISO.
TDateTime lerDataHora(std::string_view s) {
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
        int a = digitos(s, 0, 4), m = digitos(s, 5, 2), d = digitos(s, 8, 2);
        if (a < 0 || m < 0 || d < 0 || !dataValida(a, m, d)) return 0;
        TDateTime data = codificarData(a, m, d);
        TDateTime hora = 0;
        if (s.size() >= 19 && (s[10] == ' ' || s[10] == 'T') && lerHora(s, 11, hora))
            return data < 0 ? data - hora : data + hora;
        return data;
    }
    TDateTime hora = 0;
    if (s.size() >= 8 && lerHora(s, 0, hora)) return hora;
    return 0;
}

} // namespace

struct TConexao::Resultado {
    PGresult* r = nullptr;
    int pagina = CP_UTF8;
    std::vector<std::string> nomes;
    ~Resultado() { PQclear(r); }
};

struct TConexao::Impl {
    PGconn* conn = nullptr;
    int paginaConfig = CP_WIN1252;

    void fechar() {
        if (conn) PQfinish(conn);
        conn = nullptr;
    }
    int paginaAtual() const {
        const char* cod = conn ? PQparameterStatus(conn, "client_encoding") : nullptr;
        return cod ? paginaDaCodificacao(cod, paginaConfig) : paginaConfig;
    }
    // Drains what a COPY left on the wire so that the session stays usable.
    void encerrarCopia(PGresult* r) {
        ExecStatusType st = PQresultStatus(r);
        if (st == PGRES_COPY_IN) {
            PQputCopyEnd(conn, "COPY não é suportado");
        } else if (st == PGRES_COPY_OUT) {
            char* buf = nullptr;
            while (PQgetCopyData(conn, &buf, 0) > 0)
                PQfreemem(buf);
        }
        while (PGresult* resto = PQgetResult(conn))
            PQclear(resto);
    }
};

TConexao::TConexao() : f(std::make_unique<Impl>()) {}
TConexao::~TConexao() {
    f->fechar();
}

void TConexao::Connect() {
    f->fechar();
    f->paginaConfig = paginaDaCodificacao(ClientCodepage, CP_WIN1252);
    std::string porta = std::to_string(Port);
    std::string tempo = std::to_string(ConnectTimeout);
    // Keep-alives and a user timeout make a cut network show as a lost connection instead of
    // a statement that never returns.
    const char* chaves[] = {"host",
                            "port",
                            "dbname",
                            "user",
                            "password",
                            "client_encoding",
                            "connect_timeout",
                            "application_name",
                            "keepalives",
                            "keepalives_idle",
                            "keepalives_interval",
                            "keepalives_count",
                            "tcp_user_timeout",
                            nullptr};
    const char* valores[] = {HostName.c_str(),
                             porta.c_str(),
                             Database.c_str(),
                             User.c_str(),
                             Password.c_str(),
                             ClientCodepage.c_str(),
                             tempo.c_str(),
                             "Orvane",
                             "1",
                             "20",
                             "5",
                             "3",
                             "20000",
                             nullptr};
    PGconn* c = PQconnectdbParams(chaves, valores, 0);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        std::string msg = c ? semQuebraFinal(PQerrorMessage(c)) : "sem memória";
        if (c) PQfinish(c);
        throw EBancoDados("SQL Error: " + paraUtf8(msg));
    }
    PQsetNoticeProcessor(c, ignorarAviso, nullptr);
    // Dates and times are read in the ISO form, the server's usual output; ask for it only
    // when the server was set up otherwise (a startup option would upset connection poolers).
    const char* estilo = PQparameterStatus(c, "DateStyle");
    if (estilo && std::string_view(estilo).substr(0, 3) != "ISO")
        PQclear(PQexec(c, "SET DateStyle = ISO"));
    f->conn = c;
}

void TConexao::Disconnect() {
    f->fechar();
}

bool TConexao::Connected() const {
    return f->conn && PQstatus(f->conn) == CONNECTION_OK;
}

std::string TConexao::clientEncoding() const {
    const char* cod = f->conn ? PQparameterStatus(f->conn, "client_encoding") : nullptr;
    return cod ? cod : "";
}

std::string TConexao::parametro(const std::string& nome) const {
    const char* v = f->conn ? PQparameterStatus(f->conn, nome.c_str()) : nullptr;
    return v ? v : "";
}

int TConexao::pidServidor() const {
    return Connected() ? PQbackendPID(f->conn) : 0;
}

std::shared_ptr<TConexao::Resultado> TConexao::executar(const std::string& sql) {
    if (!Connected()) throw EBancoDados("SQL Error: " + std::string(SEM_CONEXAO));
    // The client library reads the text up to its first NUL: refuse rather than send a cut
    // statement.
    if (sql.find('\0') != std::string::npos)
        throw EBancoDados("SQL Error: o comando contém um caractere nulo");

    // Out in the encoding the session has now; back in the one it has after the text ran
    // (a SET CLIENT_ENCODING inside the text applies to the answer).
    const std::string bytes = paraPagina(sql, f->paginaAtual());
    PGresult* r = PQexec(f->conn, bytes.c_str());
    ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
    if (st == PGRES_COPY_IN || st == PGRES_COPY_OUT || st == PGRES_COPY_BOTH) {
        f->encerrarCopia(r);
        PQclear(r);
        throw EBancoDados("SQL Error: COPY não é suportado");
    }
    const int pagina = f->paginaAtual();
    if (st == PGRES_FATAL_ERROR || st == PGRES_BAD_RESPONSE || st == PGRES_NONFATAL_ERROR) {
        std::string msg = semQuebraFinal(r ? PQresultErrorMessage(r) : "");
        if (msg.empty()) msg = semQuebraFinal(PQerrorMessage(f->conn));
        msg = dePagina(msg, pagina);
        PQclear(r);
        if (PQstatus(f->conn) == CONNECTION_BAD) {
            // However the connection went (restart, terminated backend, cut network), the
            // caller sees the one text it reconnects on.
            if (msg.find(SEM_CONEXAO) == std::string::npos)
                msg = std::string(SEM_CONEXAO) + (msg.empty() ? "" : ": " + msg);
        } else if (PQtransactionStatus(f->conn) == PQTRANS_INERROR) {
            PQclear(PQexec(f->conn, "ROLLBACK"));
        }
        throw EBancoDados("SQL Error: " + msg);
    }
    auto res = std::make_shared<Resultado>();
    res->r = r;
    res->pagina = pagina;
    int n = PQnfields(r);
    res->nomes.reserve(n);
    for (int i = 0; i < n; ++i)
        res->nomes.push_back(dePagina(PQfname(r, i), pagina));
    return res;
}

// ---------------------------------------------------------------------------------------------

void TConsulta::setConnection(TConexao* conexao) {
    Close();
    fConexao = conexao;
}

void TConsulta::Open() {
    Close();
    if (!fConexao) throw EBancoDados("SQL Error: consulta sem conexão");
    fResultado = fConexao->executar(SQL);
    fLinha = 0;
}

void TConsulta::ExecSQL() {
    Close();
    if (!fConexao) throw EBancoDados("SQL Error: consulta sem conexão");
    auto res = fConexao->executar(SQL);
    const char* n = PQcmdTuples(res->r);
    fAfetadas = 0;
    if (n && *n) lerInteiro(n, fAfetadas);
}

void TConsulta::Close() {
    fResultado.reset();
    fLinha = 0;
}

void TConsulta::Next() {
    if (!Eof()) ++fLinha;
}

bool TConsulta::Eof() const {
    return fLinha >= RecordCount();
}

int TConsulta::RecordCount() const {
    return fResultado ? PQntuples(fResultado->r) : 0;
}

int TConsulta::FieldCount() const {
    return fResultado ? PQnfields(fResultado->r) : 0;
}

std::vector<std::string> TConsulta::FieldNames() const {
    return fResultado ? fResultado->nomes : std::vector<std::string>{};
}

std::optional<TCampo> TConsulta::FindField(std::string_view nome) const {
    if (!fResultado) return std::nullopt;
    const auto& nomes = fResultado->nomes;
    for (std::size_t i = 0; i < nomes.size(); ++i)
        if (nomes[i] == nome) return TCampo(*this, static_cast<int>(i));
    for (std::size_t i = 0; i < nomes.size(); ++i)
        if (iguaisSemCaixa(nomes[i], nome)) return TCampo(*this, static_cast<int>(i));
    return std::nullopt;
}

TCampo TConsulta::FieldByName(std::string_view nome) const {
    if (!fResultado)
        throw EBancoDados("Consulta fechada: campo " + std::string(nome) + " indisponível");
    auto campo = FindField(nome);
    if (!campo) throw EBancoDados("Campo " + std::string(nome) + " não encontrado");
    return *campo;
}

// ---------------------------------------------------------------------------------------------

const char* TCampo::bruto() const {
    const auto& res = fConsulta->fResultado;
    if (!res || fConsulta->Eof()) return nullptr;
    if (PQgetisnull(res->r, fConsulta->fLinha, fColuna)) return nullptr;
    return PQgetvalue(res->r, fConsulta->fLinha, fColuna);
}

std::string TCampo::FieldName() const {
    const auto& res = fConsulta->fResultado;
    return res ? res->nomes.at(fColuna) : std::string();
}

bool TCampo::IsNull() const {
    return bruto() == nullptr;
}

std::string TCampo::AsString() const {
    const char* v = bruto();
    if (!v) return {};
    return dePagina(v, fConsulta->fResultado->pagina);
}

std::int64_t TCampo::AsInteger() const {
    const char* v = bruto();
    if (!v) return 0;
    std::string_view s(v);
    if (s == "t") return 1;
    if (s == "f") return 0;
    std::int64_t i = 0;
    if (lerInteiro(s, i)) return i;
    double d = 0;
    if (lerDouble(s, d) && std::isfinite(d) && std::fabs(d) < 9.2e18) return std::llround(d);
    return 0;
}

double TCampo::AsFloat() const {
    const char* v = bruto();
    double d = 0;
    if (!v || !lerDouble(v, d)) return 0;
    return d;
}

Currency TCampo::AsCurrency() const {
    const char* v = bruto();
    if (!v) return {};
    try {
        return Currency::deTexto(v);
    } catch (const std::exception&) {
        return Currency::deDouble(AsFloat());
    }
}

TDateTime TCampo::AsDateTime() const {
    const char* v = bruto();
    return v ? lerDataHora(v) : 0;
}

bool TCampo::AsBoolean() const {
    const char* v = bruto();
    if (!v) return false;
    std::string_view s(v);
    return s == "t" || s == "true" || s == "1" || s == "S" || s == "s";
}

TVariante TCampo::Value() const {
    const char* v = bruto();
    if (!v) return {};
    switch (PQftype(fConsulta->fResultado->r, fColuna)) {
    case OID_INT2:
    case OID_INT4:
    case OID_INT8:
    case OID_OID:
    case OID_BOOL:
        return AsInteger();
    case OID_FLOAT4:
    case OID_FLOAT8:
    case OID_NUMERIC:
        return AsFloat();
    case OID_DATE:
    case OID_TIME:
    case OID_TIMESTAMP:
    case OID_TIMESTAMPTZ:
        return AsDateTime();
    default:
        return AsString();
    }
}

} // namespace orv
