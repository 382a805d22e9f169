#pragma once
// TOrvSAT: the one object through which the system drives the SAT device. It holds the
// settings, the binding to the maker's library, the sale and cancellation documents, the parsed
// answer and the device status, and runs every command as a numbered session with its own log
// lines, answer parsing and optional session check. It saves what it sends and receives.
//
// One command at a time: a second command while a session is open (through an event or the
// log handler) is refused. The component is used from one thread.

#include "cfe/CFe.h"
#include "cfe/CFeCanc.h"
#include "sat/OrvSATClass.h"
#include "sat/OrvSATConfig.h"
#include "sat/OrvSATResposta.h"
#include "support/DataHora.h"

#include <functional>
#include <memory>
#include <random>
#include <string>

namespace orv {

class TOrvSAT {
public:
    // Events, all optional. The answer of an event that answers in place of the library is the
    // library's answer bytes; a non-empty one means the library is not called.
    using TOrvGravarLog = std::function<void(const std::string& ALogLine, bool& Tratado)>;
    using TOrvSATGetChave = std::function<void(std::string& Chave)>;
    using TOrvSATGetNumeroSessao = std::function<void(int& NumeroSessao)>;
    using TOrvSATEventoDados = std::function<void(const std::string& Dados, std::string& ARetorno)>;
    using TOrvSATEvento = std::function<void(std::string& ARetorno)>;
    using TOrvSATMensagem = std::function<void(int Cod, const std::string& Mensagem)>;
    using TOrvSATCalcPathEvent =
        std::function<void(std::string& APath, const std::string& CNPJ, TDateTime Data)>;

    TOrvSAT();
    ~TOrvSAT();
    TOrvSAT(const TOrvSAT&) = delete;
    TOrvSAT& operator=(const TOrvSAT&) = delete;

    // Settings.
    TOrvSATModelo Modelo() const { return fsModelo; }
    // Replaces the binding (which releases the library). Refused while initialised.
    void setModelo(TOrvSATModelo valor);
    const std::string& NomeDLL() const { return fsNomeDLL; }
    // Trimmed; a value without a file-name part (ending in a delimiter, or emptied after another
    // value) gets "SAT.DLL" after a delimiter. An unchanged value does nothing.
    void setNomeDLL(const std::string& valor);
    std::string ArqLOG;  // log file; empty: no file log
    bool ValidarNumeroSessaoResposta = false;
    int NumeroTentativasValidarSessao = 1;

    TOrvSATConfig& Config() { return *fsConfig; }
    const TOrvSATConfig& Config() const { return *fsConfig; }
    TOrvSATConfigArquivos& ConfigArquivos() { return *fsConfigArquivos; }
    TRede& Rede() { return fsRede; }
    TCFe& CFe() { return *fsCFe; }
    TCFeCanc& CFeCanc() { return *fsCFeCanc; }
    const TOrvSATResposta& Resposta() const { return fsResposta; }
    const TOrvSATStatus& Status() const { return fsStatus; }
    TOrvSATClass& SATClass() { return *fsSATClass; }

    // State.
    bool Inicializado() const { return fsInicializado; }
    void setInicializado(bool valor) { valor ? Inicializar() : DesInicializar(); }
    void Inicializar();
    void DesInicializar();
    std::string ModeloStr() const { return fsSATClass->ModeloStr(); }
    int numeroSessao() const { return fsnumeroSessao; }
    // Asked of the handlers on every read; empty without one.
    std::string codigoDeAtivacao() const;
    std::string signAC() const;
    const std::string& RespostaComando() const { return fsRespostaComando; }
    bool AguardandoResposta() const { return fsAguardandoResposta; }
    const std::string& PrefixoCFe() const { return fsPrefixoCFe; }
    // The device's log after ExtrairLogs.
    const std::string& LogExtraido() const { return fsLogExtraido; }

    TOrvGravarLog OnGravarLog;
    TOrvSATGetChave OnGetcodigoDeAtivacao;
    TOrvSATGetChave OnGetsignAC;
    TOrvSATGetNumeroSessao OnGetNumeroSessao;
    std::function<void()> OnAguardandoRespostaChange;
    TOrvSATEventoDados OnEnviarDadosVenda;
    TOrvSATEventoDados OnCancelarUltimaVenda;
    TOrvSATEventoDados OnConsultarNumeroSessao;
    TOrvSATEvento OnConsultaStatusOperacional;
    TOrvSATEvento OnConsultarSAT;
    TOrvSATEvento OnExtrairLogs;
    TOrvSATEvento OnConsultarUltimaSessaoFiscal;
    TOrvSATMensagem OnMensagemSEFAZ;
    TOrvSATCalcPathEvent OnCalcPath;

    // One log line: to OnGravarLog, then (unless the handler took it) appended to ArqLOG in the
    // ANSI code page with the time "dd/mm/yy hh:nn:ss:zzz". A failed write loses the line.
    void DoLog(const std::string& linha);

    // Starts a sale document from the settings (nullptr: the component's CFe).
    void InicializaCFe(TCFe* ACFe = nullptr);
    // Commands. Each returns the decoded answer and leaves it in RespostaComando and Resposta.
    // A failure answer of the device is no error here: the caller judges the return code.
    std::string EnviarDadosVenda();  // the entry document of CFe
    std::string EnviarDadosVenda(const std::string& dadosVenda);
    void CFe2CFeCanc();
    std::string CancelarUltimaVenda();  // the cancellation of the sale in CFe
    std::string CancelarUltimaVenda(const std::string& chave, const std::string& dadosCancelamento);
    std::string ConsultarStatusOperacional();
    double VerificarVersaoSAT(double VersaoLayout = 0);
    std::string AssociarAssinatura(const std::string& CNPJvalue, const std::string& assinaturaCNPJs);
    std::string AtivarSAT(int subComando, const std::string& CNPJ, int cUF);
    std::string AtualizarSoftwareSAT();
    std::string BloquearSAT();
    std::string DesbloquearSAT();
    std::string ConsultarSAT();
    std::string ComunicarCertificadoICPBRASIL(const std::string& certificado);
    std::string ConfigurarInterfaceDeRede(const std::string& dadosConfiguracao = "");
    std::string ConsultarNumeroSessao(int cNumeroDeSessao);
    std::string ConsultarUltimaSessaoFiscal();
    std::string ExtrairLogs();
    std::string TesteFimAFim(const std::string& dadosVenda);
    std::string TrocarCodigoDeAtivacao(const std::string& codigoDeAtivacaoOuEmergencia, int opcao,
                                       const std::string& novoCodigo);

    // After a sale (6000) or cancellation (7000) answer: the document of field 6 into CFe or
    // CFeCanc, saved when the settings ask.
    void DecodificaRetorno6000();
    void DecodificaRetorno7000();

    // File names of the documents (folders created as needed). Without a name: the prefix and
    // the document's key (for a cancellation without its own key yet, the cancelled one's).
    std::string CalcCFeNomeArq(const std::string& Pasta, const std::string& NomeArquivo = "",
                               const std::string& Sufixo = "", const std::string& Extensao = "");
    std::string CalcCFeCancNomeArq(const std::string& Pasta, const std::string& NomeArquivo = "",
                                   const std::string& Sufixo = "", const std::string& Extensao = "");

    // The library's answer bytes decoded by Config.PaginaDeCodigo into text.
    std::string TraduzRespostaComando(const std::string& bytes) const;

private:
    void ChecaInicializado() const;
    void IniciaComando();
    std::string FinalizaComando(const std::string& respostaBytes);
    // The session frame around `chamada`, which returns the answer bytes: FinalizaComando also
    // runs when the call throws, with an empty answer, and the error then propagates.
    template <class F>
    std::string Sessao(F&& chamada);
    void GerarnumeroSessao();
    void setAguardandoResposta(bool valor);
    void SalvarArquivo(const std::string& arquivo, const std::string& dados);

    TOrvSATModelo fsModelo = TOrvSATModelo::satNenhum;
    std::string fsNomeDLL;
    bool fsInicializado = false;
    bool fsAguardandoResposta = false;
    int fsnumeroSessao = 0;
    int fsErrosSessaoCount = 0;
    int fsSessaoAVerificar = 0;
    std::string fsComandoLog;
    std::string fsRespostaComando;
    std::string fsPrefixoCFe = "CFe";
    std::string fsLogExtraido;

    std::unique_ptr<TOrvSATConfig> fsConfig;
    std::unique_ptr<TOrvSATConfigArquivos> fsConfigArquivos;
    TRede fsRede;
    std::unique_ptr<TCFe> fsCFe;
    std::unique_ptr<TCFeCanc> fsCFeCanc;
    TOrvSATResposta fsResposta;
    TOrvSATStatus fsStatus;
    std::unique_ptr<TOrvSATClass> fsSATClass;
    std::mt19937 fsGerador;
};

} // namespace orv
