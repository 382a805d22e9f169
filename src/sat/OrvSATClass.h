#pragma once
// The binding between the SAT component and the maker's library. The component never calls the
// library itself: it holds one binding object and sends every command through its virtual
// operations. The base class is the binding of "no model": every command raises.
//
// Byte strings (arguments and answers) are 8-bit text passed as they are held; an answer comes
// back as the library's bytes and the component decodes it (TraduzRespostaComando).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orv {

class TOrvSAT;

// The SAT layer's own errors; the message is Portuguese UTF-8 text.
class EOrvSATErro : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TOrvSATModelo { satNenhum, satDinamico_cdecl, satDinamico_stdcall, mfe_Integrador_XML };

// The library's exports in resolution order; the last one may be missing.
inline constexpr int kNumExportacoesSAT = 16;
inline constexpr const char* kExportacoesSAT[kNumExportacoesSAT] = {
    "AssociarAssinatura",  "AtivarSAT",          "AtualizarSoftwareSAT",
    "BloquearSAT",         "CancelarUltimaVenda", "ComunicarCertificadoICPBRASIL",
    "ConfigurarInterfaceDeRede", "ConsultarNumeroSessao", "ConsultarSAT",
    "ConsultarStatusOperacional", "DesbloquearSAT", "EnviarDadosVenda",
    "ExtrairLogs",         "TesteFimAFim",       "TrocarCodigoDeAtivacao",
    "ConsultarUltimaSessaoFiscal"};

class TOrvSATClass {
public:
    // The owner gives the library name, the session number and the activation code, read fresh
    // for every call. Throws EOrvSATErro without an owner.
    explicit TOrvSATClass(TOrvSAT* AOwner);
    // Gives back the library reference of NomeDLL, as ReleaseDLLFunctions does.
    virtual ~TOrvSATClass();
    TOrvSATClass(const TOrvSATClass&) = delete;
    TOrvSATClass& operator=(const TOrvSATClass&) = delete;

    virtual std::string ModeloStr() const { return fpModeloStr; }

    virtual void LoadDLLFunctions();
    virtual void ReleaseDLLFunctions();
    // Resolves one export unless `endereco` is already set; every resolution loads the library
    // by name once more (one more reference on the loader's count).
    virtual void ResolveDLLFunction(const std::string& nomeFuncao, void*& endereco);
    virtual void Inicializar();
    virtual void DesInicializar();

    // The commands; each returns the library's answer bytes.
    virtual std::string AssociarAssinatura(const std::string& CNPJvalue,
                                           const std::string& assinaturaCNPJs);
    virtual std::string AtivarSAT(int subComando, const std::string& CNPJ, int cUF);
    virtual std::string AtualizarSoftwareSAT();
    virtual std::string BloquearSAT();
    virtual std::string CancelarUltimaVenda(const std::string& chave,
                                            const std::string& dadosCancelamento);
    virtual std::string ComunicarCertificadoICPBRASIL(const std::string& certificado);
    virtual std::string ConfigurarInterfaceDeRede(const std::string& dadosConfiguracao);
    virtual std::string ConsultarNumeroSessao(int cNumeroDeSessao);
    virtual std::string ConsultarSAT();
    virtual std::string ConsultarStatusOperacional();
    virtual std::string DesbloquearSAT();
    virtual std::string EnviarDadosVenda(const std::string& dadosVenda);
    virtual std::string ExtrairLogs();
    virtual std::string TesteFimAFim(const std::string& dadosVenda);
    virtual std::string TrocarCodigoDeAtivacao(const std::string& codigoDeAtivacaoOuEmergencia,
                                               int opcao, const std::string& novoCodigo);
    virtual std::string ConsultarUltimaSessaoFiscal();

protected:
    [[noreturn]] void ErroNaoImplementado(const std::string& metodo) const;
    [[noreturn]] void ErroCarregarFuncao(const std::string& nomeFuncao) const;
    // Releases NomeDLL once when a library of that name is loaded.
    void LiberarBiblioteca();

    std::string NomeDLL() const;
    int numeroSessao() const;
    std::string codigoDeAtivacao() const;

    TOrvSAT* fpOwner;
    std::string fpModeloStr;
};

// The answer's bytes read as `paginaDeCodigo` (0: the system's ANSI code page, Windows-1252)
// and returned as UTF-8; characters that the ANSI code page cannot hold become "?", as the
// answer passes through it.
std::string traduzRespostaComando(const std::string& bytes, std::uint16_t paginaDeCodigo);

} // namespace orv
