#pragma once
// What the database tests share: a database of their own on the throwaway server
// (scripts/pg.sh), a temporary program folder with ZVCFGCFI.INI, and a log view that keeps
// what it was given. Other test folders link orv_db_teste for the same.

#include "db/Conexao.h"
#include "support/Log.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv::teste {

inline constexpr const char* PG_HOST = "127.0.0.1";
inline constexpr int PG_PORTA = 1987;
inline constexpr const char* PG_SENHA = "tbuk6h1j0s5";

// A database cloned from a template of the server ("vendara_modelo" or "remoto_modelo"),
// named uniquely per process, dropped (with any session still on it) on destruction.
class TBancoTeste {
public:
    explicit TBancoTeste(std::string_view modelo = "vendara_modelo");
    ~TBancoTeste();
    TBancoTeste(const TBancoTeste&) = delete;
    TBancoTeste& operator=(const TBancoTeste&) = delete;

    const std::string& nome() const { return fNome; }
    // A UTF-8 connection of its own to the test database.
    TConexao& conexao() { return fConexao; }
    void executar(const std::string& sql);
    // First column of the first row; "" when there is none or it is null.
    std::string valor(const std::string& sql);
    // Ends every session on the test database but this helper's own.
    void derrubarSessoes();
    // Ends one session (pg_terminate_backend), as an administrator would.
    void derrubarSessao(int pid);

    // Connection settings for the server with a database name.
    static void configurar(TConexao& c, const std::string& banco, const std::string& pagina);

private:
    std::string fNome;
    TConexao fConexao;
};

// A temporary folder (trailing "/"), removed with everything in it on destruction.
class TPastaTemp {
public:
    TPastaTemp();
    ~TPastaTemp();
    const std::string& caminho() const { return fCaminho; }
    void escrever(const std::string& nome, const std::string& conteudo) const;

private:
    std::string fCaminho;
};

// Writes ZVCFGCFI.INI in `pasta` pointing at the test server and `banco`.
void escreverIniVD(const TPastaTemp& pasta, const std::string& banco,
                   const std::string& senhaSegura = "Nao");

class TLogMemoria : public TLogView {
public:
    std::vector<std::pair<std::string, TColor>> registro;
    std::vector<std::string> mensagens;

    int linhas() const override { return static_cast<int>(registro.size()); }
    void limpar() override { registro.clear(); }
    bool adicionarLinha(const std::string& linha, TColor cor) override {
        registro.emplace_back(linha, cor);
        return true;
    }
    void piscar() override {}
    void processarEventos() override {}
    void mostrarMensagem(const std::string& texto) override { mensagens.push_back(texto); }

    // Lines holding `trecho`.
    int contar(std::string_view trecho) const;
    // Colour of the last line holding `trecho` (clBlack when none).
    TColor cor(std::string_view trecho) const;
};

} // namespace orv::teste
