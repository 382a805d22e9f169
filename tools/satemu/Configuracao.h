#pragma once
// satemu.ini: where the device keeps its state, who it belongs to, and the misbehaviour a
// test or a technician asks for. Read again at every command.

#include <map>
#include <string>

namespace satemu {

struct Falhas {
    long atrasoMs = 0;            // wait before answering
    int rejeitarCodigo = 0;       // CCCC of the forced refusal...
    long rejeitarVendas = 0;      // ...for this many next sales
    bool sessaoErrada = false;    // answer carries another session number
    bool respostaCortada = false; // answer cut to three fields
    bool lixo = false;            // answer replaced by bytes that are no answer
    bool ocupado = false;         // every command answers "busy"
    long travarSegundos = 0;      // hang this long before answering
    long morrerAposAutorizar = 0; // next N authorisations end the process before answering
};

struct Configuracao {
    std::string arquivo;          // the ini file read (may not exist)
    std::string pastaEstado;
    std::string numeroSerie = "900004019";
    std::string codigoAtivacao = "12345678";
    std::string codigoEmergencia = "87654321";
    int uf = 35;
    std::string cnpjEmitente = "08723218000186";
    std::string ie = "149626224113";
    std::string im = "123123";
    std::string razaoSocial = "EMPRESA DE TESTE DO EMULADOR SAT LTDA";
    std::string nomeFantasia = "LOJA DE TESTE";
    std::string logradouro = "RUA DAS FLORES";
    std::string numero = "100";
    std::string complemento;
    std::string bairro = "CENTRO";
    std::string municipio = "SAO PAULO";
    std::string cep = "01001000";
    std::string regimeTributario = "1";
    std::string cnpjSoftwareHouse = "16716114000172";
    std::string signAC = "SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT";
    bool windows1252 = false;
    std::string pastaEsquemas;
    bool ativado = true;          // state of a newly created device
    bool vinculado = true;
    long deslocamentoRelogio = 0; // seconds added to the device clock
    Falhas falhas;
};

// The ini path: $SATEMU_INI, else satemu.ini beside the library or program.
std::string caminhoIni();
Configuracao lerConfiguracao(const std::string& arquivo);

// Rewrites one key of one section, keeping every other line; creates the file when missing.
bool gravarChaveIni(const std::string& arquivo, const std::string& secao, const std::string& chave,
                    const std::string& valor);
// Removes every key of a section.
bool limparSecaoIni(const std::string& arquivo, const std::string& secao);

}  // namespace satemu
