#include "db/DataModule.h"

#include <filesystem>

#include "support/Ini.h"
#include "support/Texto.h"

namespace orv {

TOrvane_DataModule::TOrvane_DataModule(TSatLog& log, std::string pastaBase)
    : fLog(log), fPastaBase(std::move(pastaBase)) {
    // Every query is opened on cncSelect; bound there from the start, a query used for a
    // change before any select still has a connection that conectarBanco has set up.
    for (TConsulta* q :
         {&qryProcessa, &qryServer, &qryBackup, &qryTest, &qryCCE, &qryConfig, &qryErrorLog})
        q->setConnection(&cncSelect);
}

void TOrvane_DataModule::mostrarMensagem(const std::string& texto) {
    if (TLogView* view = fLog.view()) view->mostrarMensagem(texto);
}

bool TOrvane_DataModule::lerIniVD() {
    bool resultado = false;
    const std::string caminho = fPastaBase + "ZVCFGCFI.INI";
    std::error_code ec;
    if (!std::filesystem::exists(caminho, ec)) {
        fLog.satlog("Não foi possível encontrar o arquivo ZVCFGCFI.INI!", clRed, true, true);
    } else {
        try {
            TIniFile ini(caminho);
            std::string loja = ini.ReadString("LocalDados", "LOJA", "");
            std::string senhaSegura = ini.ReadString("ModoSistema", "SenhaSegura", "Nao");

            // host\database, optionally followed by "|" and text of Vendara's own; doubled
            // backslashes are dropped before the host is cut off.
            std::string local = loja.substr(0, loja.find('|'));
            local = substituirTudo(local, "\\\\", "");
            std::size_t barra = local.find('\\');
            if (barra == std::string::npos) {
                host.clear();
                banco = local;
            } else {
                host = local.substr(0, barra);
                banco = local.substr(barra + 1);
            }
            senha = std::string(maiusculas(senhaSegura) == "SIM" ? SENHA_SEGURA : SENHA_PADRAO);
            resultado = true;
        } catch (const std::exception&) {
            resultado = false;
        }
    }
    if (host.empty() || banco.empty()) {
        fLog.satlog("Não é possível conectar no banco de dados!", clRed, true, true);
        resultado = false;
    }
    return resultado;
}

bool TOrvane_DataModule::conectarBanco(TConexao& conexao, std::string& cError) {
    if (conexao.Connected()) {
        estadoConexao = ESTADO_JA_ABERTA;
        return true;
    }
    try {
        conexao.Protocol = "postgresql";
        conexao.ClientCodepage = std::string(CODIFICACAO_VD);
        conexao.HostName = host;
        conexao.Database = banco;
        conexao.User = std::string(USUARIO_VD);
        conexao.Password = senha;
        conexao.Port = PORTA_VD;
        conexao.Connect();
        bool aberta = conexao.Connected();
        estadoConexao = estadoConexao == ESTADO_NUNCA ? ESTADO_CONECTADO : ESTADO_RECONECTADO;
        return aberta;
    } catch (const std::exception& e) {
        cError = e.what();
        return false;
    }
}

bool TOrvane_DataModule::desconectarBanco() {
    fLog.satlog("Desconectando banco de dados...");
    bool resultado = true;
    for (TConsulta* q : {&qryProcessa, &qryServer, &qryBackup}) {
        try {
            q->Close();
        } catch (const std::exception&) {
            resultado = false;
        }
    }
    try {
        cncServer.Disconnect();
    } catch (const std::exception&) {
        resultado = false;
    }
    return resultado;
}

bool TOrvane_DataModule::lerCfgVD(std::string_view cCodigo, std::string_view cVariante,
                                  std::string& cValor, std::optional<std::string> cMensagem,
                                  std::optional<std::string> cPadrao) {
    cValor.clear();
    bool resultado = false;
    std::string cError;
    std::string sql = "SELECT CFIVALCFG, CFIVA1CFG, CFIVA2CFG FROM ZVCFGCFI WHERE CFICMPCFG = " +
                      sqlVarToStr("CFI" + std::string(cCodigo) + "CFG", "C") + " LIMIT 1";
    if (!fisSqlSelect(qryServer, sql, cError, true)) {
        fLog.satlog(cError, clRed);
    } else if (!qryServer.Eof()) {
        resultado = true;
        std::string_view coluna = cVariante == "1"   ? "CFIVALCFG"
                                  : cVariante == "2" ? "CFIVA1CFG"
                                  : cVariante == "3" ? "CFIVA2CFG"
                                                     : "";
        if (!coluna.empty()) {
            try {
                cValor = qryServer.FieldByName(coluna).AsString();
            } catch (const std::exception& e) {
                fLog.satlog(e.what(), clRed);
            }
        }
    } else if (cPadrao) {
        cValor = *cPadrao;
    }
    if (!resultado && cMensagem) mostrarMensagem(*cMensagem);
    return resultado;
}

std::optional<TCampo> TOrvane_DataModule::campoFIS(std::string_view cNome) {
    std::string coluna =
        contarCaracteres(cNome) == 3 ? "CFI" + std::string(cNome) + "FIS" : std::string(cNome);
    try {
        return qryProcessa.FieldByName(coluna);
    } catch (const std::exception& e) {
        fLog.satlog("Erro ao ler CFI" + std::string(cNome) + "FIS" + "\r" + e.what(), clRed, true,
                    true);
        return std::nullopt;
    }
}

bool TOrvane_DataModule::fisSqlSelect(TConsulta& oQuery, std::string& cSql, std::string& cError,
                                      bool lWin1252) {
    bool resultado = false;
    for (int tentativa = 1; tentativa <= 2; ++tentativa) {
        // A fresh text per attempt: a successful second attempt must not carry the first
        // attempt's error.
        cError.clear();
        if (conectarBanco(cncSelect, cError)) {
            if (estadoConexao == ESTADO_CONECTADO)
                fLog.satlog("Banco de dados conectado.", clGreen);
            else if (estadoConexao == ESTADO_RECONECTADO)
                fLog.satlog("Banco de dados reconectado.", clGreen);
            if (lWin1252) cSql = std::string(PREFIXO_WIN1252) + cSql;
            try {
                oQuery.Close();
                oQuery.setConnection(&cncSelect);
                oQuery.SQL = cSql;
                oQuery.Open();
                resultado = true;
            } catch (const std::exception& e) {
                cError = e.what();
            }
        }
        if (trim(cError).empty() ||
            cError.find("SQL Error: " + std::string(SEM_CONEXAO)) == std::string::npos)
            break;
        cncSelect.Disconnect();
    }
    return resultado;
}

bool TOrvane_DataModule::fisSqlUpdate(const std::string& cSql, std::string& cError, bool lWin1252) {
    std::string texto = "BEGIN;" + cSql + ";COMMIT";
    if (lWin1252) texto = std::string(PREFIXO_WIN1252) + texto;
    bool resultado = false;
    TConexao conexao;
    if (conectarBanco(conexao, cError)) {
        TConsulta consulta(&conexao);
        consulta.SQL = texto;
        try {
            consulta.ExecSQL();
            resultado = true;
        } catch (const std::exception& e) {
            cError = e.what();
        }
    }
    conexao.Disconnect();
    return resultado;
}

bool TOrvane_DataModule::executarSql(TConsulta& oQuery, std::string cSql, bool lWin1252,
                                     bool lRaise, bool lRetry) {
    const bool ehConsulta = maiusculas(copiarCaracteres(trim(cSql), 0, 7)) == "SELECT ";
    if (!ehConsulta) cSql = "BEGIN;" + cSql + ";COMMIT";
    if (lWin1252) cSql = std::string(PREFIXO_WIN1252) + cSql;
    for (int tentativa = 1; tentativa <= 2; ++tentativa) {
        std::string mensagem;
        try {
            oQuery.Close();
            oQuery.SQL = cSql;
            if (ehConsulta)
                oQuery.Open();
            else
                oQuery.ExecSQL();
            return true;
        } catch (const std::exception& e) {
            mensagem = e.what();
        }
        if (lRaise) throw EBancoDados(mensagem);
        if (!lRetry || minusculas(mensagem).find(SEM_CONEXAO) == std::string::npos) return false;
        if (TConexao* conexao = oQuery.Connection()) {
            try {
                conexao->Disconnect();
                conexao->Connect();
            } catch (const std::exception&) {
            }
        }
    }
    return false;
}

void TOrvane_DataModule::valorUnico(std::string_view cTabela, std::string_view cExpressao,
                                    TVariante& vValor, const TVariante& vPadrao,
                                    std::string_view cCondicao, std::optional<std::string> cAlias) {
    std::string alias = cAlias ? *cAlias : std::string(cExpressao);
    std::string sql = "SELECT " + std::string(cExpressao) + " AS " + alias + " FROM " +
                      std::string(cTabela) + " WHERE " + std::string(cCondicao) + " LIMIT 1";
    std::string cError;
    vValor = TVariante{};
    if (fisSqlSelect(qryServer, sql, cError, true)) {
        if (!qryServer.Eof()) {
            try {
                vValor = qryServer.FieldByName(alias).Value();
            } catch (const std::exception& e) {
                fLog.satlog(e.what(), clRed);
            }
        }
    } else {
        fLog.satlog(cError, clRed);
    }
    if (ehNulo(vValor)) vValor = vPadrao;
}

} // namespace orv
