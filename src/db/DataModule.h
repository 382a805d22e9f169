#pragma once
// The data module: the connections to Vendara's database, the program's queries on them, the
// location read from Vendara's ZVCFGCFI.INI, and the routines that run SQL text. Everything
// reports failure as a Boolean plus an error text and logs through the activity log; nothing
// raises to the caller except executarSql when asked to. Main thread only.

#include "db/Conexao.h"
#include "db/SqlTexto.h"
#include "db/Variante.h"
#include "support/Log.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Connection state after conectarBanco.
enum : int {
    ESTADO_NUNCA = 0,       // never connected in this process
    ESTADO_CONECTADO = 1,   // first connection of the process
    ESTADO_RECONECTADO = 2, // any later connection
    ESTADO_JA_ABERTA = 4    // the connection was already open
};

class TOrvane_DataModule {
public:
    // `pastaBase`: the program folder with a trailing delimiter, where ZVCFGCFI.INI lies.
    TOrvane_DataModule(TSatLog& log, std::string pastaBase);
    TOrvane_DataModule(const TOrvane_DataModule&) = delete;
    TOrvane_DataModule& operator=(const TOrvane_DataModule&) = delete;

    // Fixed settings of Vendara's database.
    static constexpr int PORTA_VD = 1987;
    static constexpr std::string_view USUARIO_VD = "postgres";
    static constexpr std::string_view CODIFICACAO_VD = "WIN1252";
    static constexpr std::string_view SENHA_SEGURA = "&Qe4062817!";
    static constexpr std::string_view SENHA_PADRAO = "tbuk6h1j0s5";

    TConexao cncServer; // disconnected at deactivation
    TConexao cncSelect; // every query is opened on it
    TConsulta qryProcessa, qryServer, qryBackup, qryTest, qryCCE, qryConfig, qryErrorLog;

    // Location of the database, set by lerIniVD and kept until the next read.
    std::string host, banco, senha;
    // Process-wide connection state (ESTADO_...).
    int estadoConexao = ESTADO_NUNCA;

    const std::string& pastaBase() const { return fPastaBase; }
    TSatLog& log() { return fLog; }

    // Reads ZVCFGCFI.INI ([LocalDados] LOJA = host\database|..., [ModoSistema] SenhaSegura).
    bool lerIniVD();
    // Opens `conexao` with Vendara's settings (nothing to do when it is open).
    bool conectarBanco(TConexao& conexao, std::string& cError);
    // Closes qryProcessa, qryServer and qryBackup and disconnects cncServer.
    bool desconectarBanco();
    // One value of ZVCFGCFI: code "NLJ", variant "1".."3". On failure with a message, the
    // message is shown in a box; without a row the default (when given) is delivered.
    bool lerCfgVD(std::string_view cCodigo, std::string_view cVariante, std::string& cValor,
                  std::optional<std::string> cMensagem = std::nullopt,
                  std::optional<std::string> cPadrao = std::nullopt);
    // A column of the current queue row: a three-letter name means "CFI" + name + "FIS".
    std::optional<TCampo> campoFIS(std::string_view cNome);

    // Opens `oQuery` on cncSelect; reconnects once when the server dropped the connection.
    // With lWin1252 the encoding prefix is put before cSql (the caller's text changes).
    bool fisSqlSelect(TConsulta& oQuery, std::string& cSql, std::string& cError,
                      bool lWin1252 = true);
    // Runs a change statement on a fresh connection inside "BEGIN;" ... ";COMMIT".
    bool fisSqlUpdate(const std::string& cSql, std::string& cError, bool lWin1252 = true);
    // Runs a statement on a query already bound to its connection: a text starting "SELECT "
    // is opened, anything else executed inside the transaction wrapper. lRaise: raise
    // EBancoDados instead of returning false; lRetry: one reconnection on a lost connection.
    bool executarSql(TConsulta& oQuery, std::string cSql, bool lWin1252, bool lRaise = true,
                     bool lRetry = true);
    // SELECT expression AS alias FROM table WHERE condition LIMIT 1, on qryServer; the default
    // when there is no row, the select fails or the value is null.
    void valorUnico(std::string_view cTabela, std::string_view cExpressao, TVariante& vValor,
                    const TVariante& vPadrao, std::string_view cCondicao,
                    std::optional<std::string> cAlias = std::nullopt);

private:
    void mostrarMensagem(const std::string& texto);

    TSatLog& fLog;
    std::string fPastaBase;
};

} // namespace orv
