#pragma once
// The device's memory: one SQLite file in the state folder holding the device record, its
// keys, every issued document and the answer of every session. Callers wrap each command in
// one transaction, committed before the answer leaves the device.

#include "Configuracao.h"
#include "Cripto.h"

#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace satemu {

struct Dispositivo {
    std::string serie;
    std::string codigoAtivacao;
    std::string cnpjContribuinte;
    int uf = 35;
    bool ativado = false;
    bool vinculado = false;
    std::string cnpjSoftwareHouse;
    std::string signAC;
    std::string bloqueio = "DESBLOQUEADO";  // DESBLOQUEADO, BLOQUEIO_SEFAZ, BLOQUEIO_CONTRIBUINTE, ...
    long ultimoNcfe = 0;
    std::string ultimaRespostaFiscal;
    std::string criado;
    Credenciais cred;
};

struct Documento {
    long seq = 0;
    long ncfe = 0;
    std::string chave;           // 44 digits
    std::string tipo;            // "V" sale, "C" cancellation
    std::string carimbo;         // AAAAMMDDHHMMSS of the emission
    std::string vCFe;
    std::string dest;            // buyer CPF/CNPJ or empty
    std::string xml;
    std::string chaveCancelada;  // for "C": the sale's key
    bool cancelado = false;      // for "V": a cancellation exists
    int sessao = 0;
};

struct LinhaRegistro {
    std::string carimbo;
    int sessao = 0;
    std::string comando;
    std::string codigo;
};

class Estado {
public:
    // Opens (and on first use creates) the state of the folder the configuration names.
    explicit Estado(const Configuracao& cfg);
    ~Estado();
    Estado(const Estado&) = delete;
    Estado& operator=(const Estado&) = delete;

    // Deletes the state folder's database and key files; the next Estado makes a new device.
    static void apagar(const Configuracao& cfg);

    void iniciar();     // BEGIN IMMEDIATE
    void confirmar();   // COMMIT
    void desfazer();    // ROLLBACK, never throws

    Dispositivo& dispositivo() { return disp_; }
    void salvarDispositivo();

    long proximoNcfe() const { return disp_.ultimoNcfe >= 999999 ? 1 : disp_.ultimoNcfe + 1; }
    void inserirDocumento(const Documento& d);
    void marcarCancelado(const std::string& chave);
    std::optional<Documento> ultimoDocumento();
    std::optional<Documento> primeiroDocumento();
    std::optional<Documento> documentoPorChave(const std::string& chave);
    std::optional<Documento> documentoPorNumero(long ncfe);  // the latest with that number
    std::vector<Documento> documentos(bool comXml);
    long long bytesUsados();

    std::optional<std::string> respostaSessao(int numero);
    void gravarSessao(int numero, const std::string& comando, const std::string& resposta, const std::string& carimbo);

    std::string parametro(const std::string& chave, const std::string& padrao);
    void gravarParametro(const std::string& chave, const std::string& valor);

    void registrar(const std::string& carimbo, int sessao, const std::string& comando, const std::string& codigo);
    std::vector<LinhaRegistro> registro(int limite);

    const std::string& pasta() const { return pasta_; }

private:
    void exec(const char* sql);
    void carregar();
    void criar(const Configuracao& cfg);

    sqlite3* db_ = nullptr;
    std::string pasta_;
    Dispositivo disp_;
};

}  // namespace satemu
