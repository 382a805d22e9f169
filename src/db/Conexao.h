#pragma once
// PostgreSQL connections and queries. The program's text is UTF-8; a connection converts it to
// its client encoding (WIN1252 for Vendara's database, LATIN1 for the maker's stores) on the
// way out and back on the way in, a character the encoding cannot hold becoming "?". Statements
// go through the simple-query protocol, so one text may hold several statements; a query keeps
// the result of the last one.
//
// Failures raise EBancoDados with "SQL Error: " and the server's or the client library's
// message. A lost connection (server restarted, backend terminated, network cut) always reads
// "SQL Error: no connection to the server", followed by the details, so callers can tell it
// from other errors and reconnect.

#include "db/Variante.h"
#include "support/DataHora.h"
#include "support/Valor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class EBancoDados : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text that marks a connection that has gone.
inline constexpr std::string_view SEM_CONEXAO = "no connection to the server";

class TConexao {
public:
    TConexao();
    ~TConexao();
    TConexao(const TConexao&) = delete;
    TConexao& operator=(const TConexao&) = delete;

    // Settings read by Connect.
    std::string Protocol = "postgresql"; // only PostgreSQL is spoken
    std::string HostName;
    int Port = 5432;
    std::string Database;
    std::string User;
    std::string Password;
    std::string ClientCodepage = "WIN1252"; // client encoding: WIN1252, LATIN1 or UTF8
    int ConnectTimeout = 5;                 // seconds; a dead host must not freeze the window

    // Opens the connection with the settings (closing an open one first).
    void Connect();
    void Disconnect();
    // True while the connection is open and was not found broken by its last statement.
    bool Connected() const;

    // Runs a text of one or more statements and returns the rows of the last one (none for
    // statements without rows). A failing statement inside an explicit transaction leaves the
    // session usable: the aborted transaction is rolled back.
    struct Resultado;
    std::shared_ptr<Resultado> executar(const std::string& sql);

    // The client encoding the server reports now (it follows SET CLIENT_ENCODING).
    std::string clientEncoding() const;
    // A server setting as it stands ("standard_conforming_strings", "server_version"...).
    std::string parametro(const std::string& nome) const;
    // The server process of this session (0 when not connected).
    int pidServidor() const;

private:
    struct Impl;
    std::unique_ptr<Impl> f;
};

class TConsulta;

// One column of a query, read at the query's current row.
class TCampo {
public:
    TCampo(const TConsulta& consulta, int coluna) : fConsulta(&consulta), fColuna(coluna) {}

    std::string FieldName() const;
    bool IsNull() const;
    // Text as UTF-8 ("" for null).
    std::string AsString() const;
    // Numbers from their text; a null or a text that is no number reads as 0.
    std::int64_t AsInteger() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    // Dates, times and time stamps; null or unreadable gives 0.
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    // The value typed by its column: integers, floating point (also numeric), dates and times
    // as TDateTime, booleans as 1/0, everything else as text; null as an empty variant.
    TVariante Value() const;

private:
    const char* bruto() const;
    const TConsulta* fConsulta;
    int fColuna;
};

class TConsulta {
public:
    explicit TConsulta(TConexao* conexao = nullptr) : fConexao(conexao) {}

    TConexao* Connection() const { return fConexao; }
    void setConnection(TConexao* conexao);

    std::string SQL;

    // Runs SQL and keeps its rows, positioned on the first. Raises EBancoDados.
    void Open();
    // Runs SQL without keeping rows. Raises EBancoDados.
    void ExecSQL();
    void Close();
    bool Active() const { return fResultado != nullptr; }

    void First() { fLinha = 0; }
    void Next();
    bool Eof() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const;
    int RecNo() const { return fLinha + 1; }
    // Rows changed by the last statement ExecSQL ran.
    std::int64_t RowsAffected() const { return fAfetadas; }

    int FieldCount() const;
    std::vector<std::string> FieldNames() const;
    // Finds a column by name without regard to case (the server folds unquoted names to lower
    // case; the program asks in upper case). FieldByName raises EBancoDados when it is missing
    // or the query is not open.
    std::optional<TCampo> FindField(std::string_view nome) const;
    TCampo FieldByName(std::string_view nome) const;

private:
    friend class TCampo;
    TConexao* fConexao = nullptr;
    std::shared_ptr<TConexao::Resultado> fResultado;
    int fLinha = 0;
    std::int64_t fAfetadas = 0;
};

} // namespace orv
