#pragma once
// Drives libsatemu.so as an application drives a device: dlopen, the sixteen commands, answers
// split at "|". Each test gets its own state folder and satemu.ini (SATEMU_INI).

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline const std::string kCnpjSh = "16716114000172";
inline const std::string kCnpjEmit = "08723218000186";
inline const std::string kIE = "149626224113";
inline const std::string kSignAC = "SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT";
inline const char* kCodigo = "12345678";

struct BibliotecaSat {
    explicit BibliotecaSat(const char* caminho = SATEMU_LIB);
    ~BibliotecaSat();
    BibliotecaSat(const BibliotecaSat&) = delete;
    BibliotecaSat& operator=(const BibliotecaSat&) = delete;

    void* h = nullptr;
    const char* (*AssociarAssinatura)(int, const char*, const char*, const char*) = nullptr;
    const char* (*AtivarSAT)(int, int, const char*, const char*, int) = nullptr;
    const char* (*AtualizarSoftwareSAT)(int, const char*) = nullptr;
    const char* (*BloquearSAT)(int, const char*) = nullptr;
    const char* (*CancelarUltimaVenda)(int, const char*, const char*, const char*) = nullptr;
    const char* (*ComunicarCertificadoICPBRASIL)(int, const char*, const char*) = nullptr;
    const char* (*ConfigurarInterfaceDeRede)(int, const char*, const char*) = nullptr;
    const char* (*ConsultarNumeroSessao)(int, const char*, int) = nullptr;
    const char* (*ConsultarSAT)(int) = nullptr;
    const char* (*ConsultarStatusOperacional)(int, const char*) = nullptr;
    const char* (*DesbloquearSAT)(int, const char*) = nullptr;
    const char* (*EnviarDadosVenda)(int, const char*, const char*) = nullptr;
    const char* (*ExtrairLogs)(int, const char*) = nullptr;
    const char* (*TesteFimAFim)(int, const char*, const char*) = nullptr;
    const char* (*TrocarCodigoDeAtivacao)(int, const char*, int, const char*, const char*) = nullptr;
    const char* (*ConsultarUltimaSessaoFiscal)(int, const char*) = nullptr;
};

struct ItemVenda {
    std::string qCom = "1.0000";
    std::string vUnCom = "10.00";
    std::string indRegra = "A";
    std::string vDesc, vOutro;
    std::string cfop = "5102";
    std::string cEAN;
    std::string imposto;  // inner XML of <imposto>; empty: Simples Nacional 102, PIS/COFINS 49
    int nItem = 0;        // 0: its position
};

struct DadosVenda {
    std::string versao = "0.08";
    std::string cnpjSh = kCnpjSh;
    std::string signAC = kSignAC;
    std::string numeroCaixa = "001";
    std::string cnpjEmit = kCnpjEmit;
    std::string ie = kIE;
    std::string im;
    std::string dest;  // inner XML of <dest>
    std::vector<ItemVenda> itens{ItemVenda{}};
    std::string vDescSubtot, vAcresSubtot;
    std::vector<std::pair<std::string, std::string>> pagamentos{{"01", "10.00"}};
    std::string xml() const;  // indented with CR LF, as the application writes it
};

std::string cancelamentoXml(const std::string& chCanc, const std::string& cnpjSh = kCnpjSh,
                            const std::string& signAC = kSignAC);

std::vector<std::string> campos(const char* resposta);
// Check digit of a 43-digit access key, written apart from the device's own code.
char digitoVerificador(const std::string& k43);
std::string base64Decodificado(const std::string& b64);
// Text of every node the XPath expression selects.
std::vector<std::string> xpath(const std::string& xml, const std::string& expressao);
std::string xpath1(const std::string& xml, const std::string& expressao);
bool assinaturaQrValida(const std::string& certificadoB64Der, const std::string& texto, const std::string& assinatura);

class EmuladorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // [dispositivo] and [falhas] keys of this test's satemu.ini.
    void configurar(const std::string& chave, const std::string& valor);
    void falha(const std::string& chave, const std::string& valor);
    void limparFalhas();
    // Starts over with a device of default settings copied from one made earlier in this
    // process, sparing a key generation.
    void dispositivoNovo();

    BibliotecaSat& sat();
    int sessao() { return ++sessao_; }
    std::vector<std::string> vender(const DadosVenda& v = {});
    std::vector<std::string> cancelar(const std::string& chCanc);
    std::vector<std::string> status();

    std::string pasta, ini, estado;

private:
    void escreverIni();
    std::map<std::string, std::string> dispositivo_, falhas_;
    std::unique_ptr<BibliotecaSat> sat_;
    int sessao_ = 100;
};

// Indices of the fields of a status answer.
enum CampoStatus { NSERIE = 5, LAN_IP = 7, ULTIMO_CF_E_SAT = 20, DH_CFE = 23, ESTADO_OPERACAO = 27 };
