#include "sat/OrvSAT.h"

#include "sat/OrvSATDinamico_cdecl.h"
#include "sat/OrvSATDinamico_stdcall.h"
#include "support/Texto.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace orv {

namespace {

constexpr const char* kDeclaracaoUtf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

std::string delimitadores() {
    return std::filesystem::path::preferred_separator == '\\' ? "\\/:" : "/";
}

std::string zeros(int v, int largura) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < largura)
        s.insert(0, static_cast<std::size_t>(largura) - s.size(), '0');
    return s;
}

// The request must reach the device as UTF-8 with its declaration. A text whose start already
// declares UTF-8 goes as it is; any other gets UTF-8 (an 8-bit text is read as ANSI) and the
// declaration in front, in place of a declaration of another encoding.
std::string garantirUtf8(const std::string& xml) {
    std::string inicio = minusculas(cortarCaracteres(xml, 50));
    auto pEncoding = inicio.find("encoding");
    auto pUtf8 = inicio.find("utf-8");
    if (pEncoding != std::string::npos && pUtf8 != std::string::npos && pUtf8 > pEncoding)
        return xml;
    std::string corpo = paraUtf8(xml);
    std::string semBrancos = trimEsquerda(corpo);
    if (comecaCom(semBrancos, "<?xml")) {
        auto fim = semBrancos.find("?>");
        if (fim != std::string::npos)
            corpo = semBrancos.substr(fim + 2);
    }
    return kDeclaracaoUtf8 + corpo;
}

bool temDeclaracao(const std::string& xml) {
    auto ini = xml.find("<?");
    return ini != std::string::npos && xml.find("?>", ini + 2) != std::string::npos;
}

// A version number with "." or "," as the separator; -1 when unreadable.
double lerVersao(const std::string& texto) {
    std::string s = substituirTudo(trim(texto), ",", ".");
    double v = 0;
    auto [fim, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || fim != s.data() + s.size())
        return -1;
    return v;
}

std::string linhaParaArquivo(const std::string& linha) {
    return ehUtf8Valido(linha) ? utf8ParaAnsi(linha) : linha;
}

std::unique_ptr<TOrvSATClass> criarBinding(TOrvSATModelo modelo, TOrvSAT* dono) {
    switch (modelo) {
    case TOrvSATModelo::satDinamico_cdecl:
        return std::make_unique<TOrvSATDinamico_cdecl>(dono);
    case TOrvSATModelo::satDinamico_stdcall:
        return std::make_unique<TOrvSATDinamico_stdcall>(dono);
    default:
        return std::make_unique<TOrvSATClass>(dono);
    }
}

void semear(std::mt19937& gerador) {
    std::random_device rd;
    auto relogio = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq semente{rd(), rd(), rd(), static_cast<unsigned>(relogio),
                          static_cast<unsigned>(relogio >> 32)};
    gerador.seed(semente);
}

} // namespace

TOrvSAT::TOrvSAT()
    : fsConfig(std::make_unique<TOrvSATConfig>(this)),
      fsConfigArquivos(std::make_unique<TOrvSATConfigArquivos>(this)),
      fsCFe(std::make_unique<TCFe>()),
      fsCFeCanc(std::make_unique<TCFeCanc>()),
      fsSATClass(std::make_unique<TOrvSATClass>(this)) {
    semear(fsGerador);
}

TOrvSAT::~TOrvSAT() {
    // The binding reads NomeDLL while it releases the library.
    fsSATClass.reset();
}

void TOrvSAT::setModelo(TOrvSATModelo valor) {
    if (valor == fsModelo)
        return;
    if (fsInicializado)
        throw EOrvSATErro("Não é possível mudar o Modelo com o SAT Inicializado");
    if (valor == TOrvSATModelo::mfe_Integrador_XML)
        throw EOrvSATErro("Componente OrvIntegrador não atribuido a OrvSAT");
    fsSATClass.reset();
    fsSATClass = criarBinding(valor, this);
    fsModelo = valor;
}

void TOrvSAT::setNomeDLL(const std::string& valor) {
    if (valor == fsNomeDLL)
        return;
    std::string s = trim(valor);
    auto pos = s.find_last_of(delimitadores());
    bool semArquivo = pos == std::string::npos ? s.empty() : pos + 1 == s.size();
    if (semArquivo)
        s = garantirDelimitador(s) + "SAT.DLL";
    fsNomeDLL = s;
}

std::string TOrvSAT::codigoDeAtivacao() const {
    std::string chave;
    if (OnGetcodigoDeAtivacao)
        OnGetcodigoDeAtivacao(chave);
    return chave;
}

std::string TOrvSAT::signAC() const {
    std::string chave;
    if (OnGetsignAC)
        OnGetsignAC(chave);
    return chave;
}

void TOrvSAT::Inicializar() {
    if (fsInicializado)
        return;
    if (fsModelo == TOrvSATModelo::satNenhum)
        throw EOrvSATErro("Modelo de SAT não definido");
    fsSATClass->Inicializar();
    semear(fsGerador);
    DoLog("OrvSAT.Inicializado");
    fsInicializado = true;
    fsAguardandoResposta = false;
    fsPrefixoCFe = "CFe";
    if (fsConfig->infCFe_versaoDadosEnt <= 0)
        fsConfig->infCFe_versaoDadosEnt = VerificarVersaoSAT(0);
}

void TOrvSAT::DesInicializar() {
    if (!fsInicializado)
        return;
    fsSATClass->DesInicializar();
    DoLog("OrvSAT.DesInicializado");
    fsInicializado = false;
    fsStatus.Clear();
    fsResposta.Clear();
    fsRede.Clear();
}

void TOrvSAT::DoLog(const std::string& linha) {
    bool tratado = false;
    if (OnGravarLog)
        OnGravarLog(linha, tratado);
    if (tratado || ArqLOG.empty())
        return;
    try {
        // The folder is not created: while it is missing the line is lost.
        std::ofstream f(ArqLOG, std::ios::binary | std::ios::app);
        if (f)
            f << formatarDataHora("dd/mm/yy hh:nn:ss:zzz", agora()) << " - "
              << linhaParaArquivo(linha) << "\r\n";
    } catch (...) {
    }
}

std::string TOrvSAT::TraduzRespostaComando(const std::string& bytes) const {
    return traduzRespostaComando(bytes, fsConfig->PaginaDeCodigo);
}

void TOrvSAT::ChecaInicializado() const {
    if (!fsInicializado)
        throw EOrvSATErro("OrvSAT não foi inicializado corretamente");
}

void TOrvSAT::setAguardandoResposta(bool valor) {
    if (valor == fsAguardandoResposta)
        return;
    fsAguardandoResposta = valor;
    if (OnAguardandoRespostaChange)
        OnAguardandoRespostaChange();
}

void TOrvSAT::GerarnumeroSessao() {
    std::uniform_int_distribution<int> faixa(0, 999998);
    fsnumeroSessao = faixa(fsGerador);
    if (OnGetNumeroSessao)
        OnGetNumeroSessao(fsnumeroSessao);
}

void TOrvSAT::IniciaComando() {
    ChecaInicializado();
    if (fsAguardandoResposta)
        throw EOrvSATErro("SAT ocupado!\r\nAguardando resposta da sessão " +
                          std::to_string(fsnumeroSessao));
    fsSessaoAVerificar = 0;
    GerarnumeroSessao();
    fsRespostaComando.clear();
    std::string linha = "NumeroSessao: " + std::to_string(fsnumeroSessao);
    if (!fsComandoLog.empty())
        linha += " - Comando: " + fsComandoLog;
    DoLog(linha);
    setAguardandoResposta(true);
}

std::string TOrvSAT::FinalizaComando(const std::string& respostaBytes) {
    std::string texto;
    try {
        texto = TraduzRespostaComando(respostaBytes);
    } catch (...) {
        // An unusable code page must not leave the component busy.
        setAguardandoResposta(false);
        fsComandoLog.clear();
        fsResposta.Clear();
        throw;
    }
    fsRespostaComando = texto;
    setAguardandoResposta(false);
    fsComandoLog.clear();
    std::string linha = "NumeroSessao: " + std::to_string(fsnumeroSessao);
    if (!texto.empty())
        linha += " - Resposta:" + texto;
    DoLog(linha);
    fsResposta.setRetornoStr(texto);

    const int R = fsResposta.numeroSessao();
    const int S = fsnumeroSessao;
    if (R != S && fsSessaoAVerificar >= 0 && R != fsSessaoAVerificar) {
        std::string M = "ERRO: Sessao retornada pelo SAT [" + std::to_string(R) +
                        "], diferente da enviada [" + std::to_string(S) + "].";
        DoLog("   " + M);
        if (ValidarNumeroSessaoResposta) {
            ++fsErrosSessaoCount;
            if (fsErrosSessaoCount > NumeroTentativasValidarSessao) {
                // The count belongs to this command; the next one starts afresh.
                fsErrosSessaoCount = 0;
                throw EOrvSATErro(M);
            }
            int Q = fsSessaoAVerificar == 0 ? S : fsSessaoAVerificar;
            DoLog("   Consultando Sessao [" + std::to_string(Q) +
                  "], tentativa: " + std::to_string(fsErrosSessaoCount));
            ConsultarNumeroSessao(Q);
            return fsRespostaComando;
        }
    } else if (R != S && fsSessaoAVerificar == R && R > 0) {
        DoLog("   Sessao [" + std::to_string(R) + "] recuperada com sucesso");
    } else if (R == S && fsResposta.codigoDeRetorno() == 11003 && fsSessaoAVerificar > 0 &&
               fsErrosSessaoCount > 0) {
        fsErrosSessaoCount = 0;
        throw EOrvSATErro("ERRO: SAT nao respondeu a sessao [" +
                          std::to_string(fsSessaoAVerificar) + "]");
    }
    fsErrosSessaoCount = 0;
    if (OnMensagemSEFAZ && (fsResposta.codigoSEFAZ() > 0 || !fsResposta.mensagemSEFAZ().empty()))
        OnMensagemSEFAZ(fsResposta.codigoSEFAZ(), fsResposta.mensagemSEFAZ());
    return fsRespostaComando;
}

template <class F>
std::string TOrvSAT::Sessao(F&& chamada) {
    IniciaComando();
    std::string bruto;
    try {
        bruto = chamada();
    } catch (...) {
        FinalizaComando(std::string());
        throw;
    }
    return FinalizaComando(bruto);
}

void TOrvSAT::SalvarArquivo(const std::string& arquivo, const std::string& dados) {
    std::ofstream f(arquivo, std::ios::binary | std::ios::trunc);
    if (!f)
        throw std::runtime_error("Não foi possível criar o arquivo \"" + arquivo + "\"");
    f.write(dados.data(), static_cast<std::streamsize>(dados.size()));
    f.close();
    if (!f)
        throw std::runtime_error("Erro ao gravar o arquivo \"" + arquivo + "\"");
}

void TOrvSAT::InicializaCFe(TCFe* ACFe) {
    TCFe& c = ACFe ? *ACFe : *fsCFe;
    c.Clear();
    const TOrvSATConfig& cfg = *fsConfig;
    c.ide.CNPJ = cfg.ide_CNPJ;
    c.ide.tpAmb = cfg.ide_tpAmb;
    c.ide.numeroCaixa = cfg.ide_numeroCaixa;
    c.ide.signAC = signAC();
    c.ide.modelo = 59;
    c.Emit.CNPJ = cfg.emit_CNPJ;
    c.Emit.IE = cfg.emit_IE;
    c.Emit.IM = cfg.emit_IM;
    c.Emit.cRegTrib = cfg.emit_cRegTrib;
    c.Emit.cRegTribISSQN = cfg.emit_cRegTribISSQN;
    c.Emit.indRatISSQN = cfg.emit_indRatISSQN;
    c.infCFe.versaoDadosEnt = Currency::deDouble(cfg.infCFe_versaoDadosEnt);
}

std::string TOrvSAT::EnviarDadosVenda() { return EnviarDadosVenda(fsCFe->GerarXML(true)); }

std::string TOrvSAT::EnviarDadosVenda(const std::string& dados) {
    std::string dadosVenda = trim(dados);
    fsComandoLog = "EnviarDadosVenda( " + dadosVenda + " )";
    if (dadosVenda.empty())
        throw EOrvSATErro("Parâmetro: \"dadosVenda\" não informado");
    dadosVenda = garantirUtf8(dadosVenda);
    Sessao([&] {
        if (fsConfigArquivos->SalvarEnvio) {
            std::string nome = fsConfigArquivos->PrefixoArqCFe +
                               formatarDataHora("yyyymmddhhnnss", agora()) + "-" +
                               zeros(fsnumeroSessao, 6);
            std::string arq = CalcCFeNomeArq(fsConfigArquivos->PastaEnvio(), nome, "-env", ".xml");
            SalvarArquivo(arq, dadosVenda);
            DoLog("  Gravando XML Venda enviado: " + arq);
        }
        DoLog("  Inicio do Envio");
        auto inicio = std::chrono::steady_clock::now();
        std::string r;
        if (OnEnviarDadosVenda)
            OnEnviarDadosVenda(dadosVenda, r);
        if (r.empty())
            r = fsSATClass->EnviarDadosVenda(dadosVenda);
        double segundos =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        char tempo[32];
        std::snprintf(tempo, sizeof tempo, "%.3f", segundos);
        DoLog(std::string("  Tempo de Processamento: ") + tempo + " segundos");
        return r;
    });
    DecodificaRetorno6000();
    return fsRespostaComando;
}

void TOrvSAT::CFe2CFeCanc() { orv::CFe2CFeCanc(*fsCFe, *fsCFeCanc, fsPrefixoCFe); }

std::string TOrvSAT::CancelarUltimaVenda() {
    CFe2CFeCanc();
    std::string dados = fsCFeCanc->GerarXML(true);
    return CancelarUltimaVenda(fsCFeCanc->infCFe.chCanc, dados);
}

std::string TOrvSAT::CancelarUltimaVenda(const std::string& chave,
                                         const std::string& dadosCancelamento) {
    fsComandoLog = "CancelarUltimaVenda( " + chave + ", " + dadosCancelamento + " )";
    std::string ch = trim(chave);
    if (ch.empty())
        throw EOrvSATErro("Parâmetro: \"chave\" não informado");
    std::string dados = trim(dadosCancelamento);
    if (dados.empty())
        throw EOrvSATErro("Parâmetro: \"dadosCancelamento\" não informado");
    dados = garantirUtf8(dados);
    // Saved before the session, so that a refused command still leaves its request behind.
    if (fsConfigArquivos->SalvarEnvio) {
        std::string arq = CalcCFeCancNomeArq(fsConfigArquivos->PastaEnvio(), "", "-env", ".xml");
        SalvarArquivo(arq, dados);
        DoLog("  Gravando XML Cancelamento enviado: " + arq);
    }
    Sessao([&] {
        std::string r;
        if (OnCancelarUltimaVenda)
            OnCancelarUltimaVenda(dados, r);
        if (r.empty())
            r = fsSATClass->CancelarUltimaVenda(ch, dados);
        return r;
    });
    DecodificaRetorno7000();
    return fsRespostaComando;
}

std::string TOrvSAT::ConsultarStatusOperacional() {
    fsComandoLog = "ConsultarStatusOperacional";
    Sessao([&] {
        std::string r;
        if (OnConsultaStatusOperacional)
            OnConsultaStatusOperacional(r);
        if (r.empty())
            r = fsSATClass->ConsultarStatusOperacional();
        return r;
    });
    if (fsResposta.codigoDeRetorno() == 10000)
        lerStatusOperacional(fsResposta, fsStatus, fsRede);
    return fsRespostaComando;
}

double TOrvSAT::VerificarVersaoSAT(double VersaoLayout) {
    ConsultarStatusOperacional();
    if (fsResposta.codigoDeRetorno() != 10000)
        throw EOrvSATErro("VerificarVersaoSAT: Erro ao ConsultarStatusOperacional");
    double versao = lerVersao(fsStatus.VER_LAYOUT);
    if (versao <= 0)
        throw EOrvSATErro("VerificarVersaoSAT: Falha ao ler versão do SAT");
    if (VersaoLayout > 0 && versao < VersaoLayout) {
        char texto[48];
        std::snprintf(texto, sizeof texto, "%.2f", VersaoLayout);
        throw EOrvSATErro(std::string("VerificarVersaoSAT: SAT não suporta a versão [") + texto + "]");
    }
    return versao;
}

std::string TOrvSAT::AssociarAssinatura(const std::string& CNPJvalue,
                                        const std::string& assinaturaCNPJs) {
    std::string cnpj = apenasDigitos(CNPJvalue);
    fsComandoLog = "AssociarAssinatura( " + cnpj + ", " + assinaturaCNPJs + " )";
    return Sessao([&] { return fsSATClass->AssociarAssinatura(cnpj, assinaturaCNPJs); });
}

std::string TOrvSAT::AtivarSAT(int subComando, const std::string& CNPJ, int cUF) {
    std::string cnpj = apenasDigitos(CNPJ);
    fsComandoLog = "AtivarSAT( " + std::to_string(subComando) + ", " + cnpj + ", " +
                   std::to_string(cUF) + " )";
    return Sessao([&] { return fsSATClass->AtivarSAT(subComando, cnpj, cUF); });
}

std::string TOrvSAT::AtualizarSoftwareSAT() {
    fsComandoLog = "AtualizarSoftwareSAT";
    return Sessao([&] { return fsSATClass->AtualizarSoftwareSAT(); });
}

std::string TOrvSAT::BloquearSAT() {
    fsComandoLog = "BloquearSAT";
    return Sessao([&] { return fsSATClass->BloquearSAT(); });
}

std::string TOrvSAT::DesbloquearSAT() {
    fsComandoLog = "DesbloquearSAT";
    return Sessao([&] { return fsSATClass->DesbloquearSAT(); });
}

std::string TOrvSAT::ConsultarSAT() {
    fsComandoLog = "ConsultarSAT";
    return Sessao([&] {
        std::string r;
        if (OnConsultarSAT)
            OnConsultarSAT(r);
        if (r.empty())
            r = fsSATClass->ConsultarSAT();
        return r;
    });
}

std::string TOrvSAT::ComunicarCertificadoICPBRASIL(const std::string& certificado) {
    fsComandoLog = "ComunicarCertificadoICPBRASIL( " + certificado + " )";
    return Sessao([&] { return fsSATClass->ComunicarCertificadoICPBRASIL(certificado); });
}

std::string TOrvSAT::ConfigurarInterfaceDeRede(const std::string& dadosConfiguracao) {
    std::string dados = dadosConfiguracao;
    if (!dados.empty())
        fsRede.LerXML(dados);
    else
        dados = fsRede.GerarXML();
    fsComandoLog = "ConfigurarInterfaceDeRede( " + dados + " )";
    return Sessao([&] { return fsSATClass->ConfigurarInterfaceDeRede(dados); });
}

std::string TOrvSAT::ConsultarNumeroSessao(int cNumeroDeSessao) {
    fsComandoLog = "ConsultarNumeroSessao( " + std::to_string(cNumeroDeSessao) + " )";
    Sessao([&] {
        fsSessaoAVerificar = cNumeroDeSessao;
        std::string r;
        if (OnConsultarNumeroSessao)
            OnConsultarNumeroSessao(std::to_string(cNumeroDeSessao), r);
        if (r.empty())
            r = fsSATClass->ConsultarNumeroSessao(cNumeroDeSessao);
        return r;
    });
    // The consulted session may have been a sale or a cancellation.
    DecodificaRetorno6000();
    DecodificaRetorno7000();
    return fsRespostaComando;
}

std::string TOrvSAT::ConsultarUltimaSessaoFiscal() {
    fsComandoLog = "ConsultarUltimaSessaoFiscal";
    Sessao([&] {
        fsSessaoAVerificar = -1;
        std::string r;
        if (OnConsultarUltimaSessaoFiscal)
            OnConsultarUltimaSessaoFiscal(r);
        if (r.empty())
            r = fsSATClass->ConsultarUltimaSessaoFiscal();
        return r;
    });
    DecodificaRetorno6000();
    DecodificaRetorno7000();
    return fsRespostaComando;
}

std::string TOrvSAT::ExtrairLogs() {
    fsComandoLog = "ExtrairLogs";
    Sessao([&] {
        std::string r;
        if (OnExtrairLogs)
            OnExtrairLogs(r);
        if (r.empty())
            r = fsSATClass->ExtrairLogs();
        return r;
    });
    fsLogExtraido.clear();
    if (fsResposta.codigoDeRetorno() == 15000 && fsResposta.RetornoLst().size() > 5)
        fsLogExtraido = decodificarBase64(fsResposta.campo(5));
    return fsRespostaComando;
}

std::string TOrvSAT::TesteFimAFim(const std::string& dados) {
    std::string dadosVenda = garantirUtf8(trim(dados));
    fsComandoLog = "TesteFimAFim(" + dadosVenda + " )";
    Sessao([&] {
        if (fsConfigArquivos->SalvarEnvio) {
            std::string nome = fsConfigArquivos->PrefixoArqCFe +
                               formatarDataHora("yyyymmddhhnnss", agora()) + "-" +
                               zeros(fsnumeroSessao, 6);
            std::string arq =
                CalcCFeNomeArq(fsConfigArquivos->PastaEnvio(), nome, "-teste-env", ".xml");
            SalvarArquivo(arq, dadosVenda);
            DoLog("  Gravando XML Venda enviado: " + arq);
        }
        return fsSATClass->TesteFimAFim(dadosVenda);
    });
    if (fsResposta.codigoDeRetorno() == 9000) {
        fsCFe->SetXMLString(decodificarBase64(fsResposta.campo(5)));
        if (fsConfigArquivos->SalvarCFe) {
            std::string arq = CalcCFeNomeArq(fsConfigArquivos->PastaCFeVenda(), "", "-teste", ".xml");
            fsCFe->SaveToFile(arq);
            DoLog("  Gravando XML Venda recebido: " + arq);
        }
    }
    return fsRespostaComando;
}

std::string TOrvSAT::TrocarCodigoDeAtivacao(const std::string& codigoDeAtivacaoOuEmergencia,
                                            int opcao, const std::string& novoCodigo) {
    fsComandoLog = "TrocarCodigoDeAtivacao(" + codigoDeAtivacaoOuEmergencia + ", " +
                   std::to_string(opcao) + ", " + novoCodigo + " )";
    return Sessao([&] {
        return fsSATClass->TrocarCodigoDeAtivacao(codigoDeAtivacaoOuEmergencia, opcao, novoCodigo);
    });
}

void TOrvSAT::DecodificaRetorno6000() {
    if (fsResposta.codigoDeRetorno() != 6000)
        return;
    std::string xml = decodificarBase64(fsResposta.campo(6));
    if (!temDeclaracao(xml))
        xml = kDeclaracaoUtf8 + xml;
    fsCFe->SetXMLString(xml);
    if (fsConfigArquivos->SalvarCFe) {
        std::string arq = CalcCFeNomeArq(fsConfigArquivos->PastaCFeVenda(), "", "", ".xml");
        fsCFe->SaveToFile(arq);
        DoLog("  Gravando XML Venda recebido: " + arq);
    }
}

void TOrvSAT::DecodificaRetorno7000() {
    if (fsResposta.codigoDeRetorno() != 7000)
        return;
    fsCFeCanc->SetXMLString(decodificarBase64(fsResposta.campo(6)));
    if (fsConfigArquivos->SalvarCFeCanc) {
        std::string arq =
            CalcCFeCancNomeArq(fsConfigArquivos->PastaCFeCancelamento(), "", "", ".xml");
        fsCFeCanc->SaveToFile(arq);
        DoLog("  Gravando XML Cancelamento recebido: " + arq);
    }
}

std::string TOrvSAT::CalcCFeNomeArq(const std::string& Pasta, const std::string& NomeArquivo,
                                    const std::string& Sufixo, const std::string& Extensao) {
    std::string pasta = fsConfigArquivos->CalcPath(Pasta, fsCFe->Emit.CNPJ, fsCFe->ide.dEmi());
    // A folder that cannot be made shows up as the write's own error.
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);
    std::string nome = NomeArquivo.empty() ? fsConfigArquivos->PrefixoArqCFe + fsCFe->infCFe.ID
                                           : NomeArquivo;
    return pasta + nome + Sufixo + Extensao;
}

std::string TOrvSAT::CalcCFeCancNomeArq(const std::string& Pasta, const std::string& NomeArquivo,
                                        const std::string& Sufixo, const std::string& Extensao) {
    std::string pasta =
        fsConfigArquivos->CalcPath(Pasta, fsCFeCanc->Emit.CNPJ, fsCFeCanc->ide.dEmi());
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);
    std::string nome = NomeArquivo;
    if (nome.empty()) {
        // Before the device answers the cancellation has no key of its own.
        std::string chave = fsCFeCanc->infCFe.ID.empty() ? apenasDigitos(fsCFeCanc->infCFe.chCanc)
                                                          : fsCFeCanc->infCFe.ID;
        nome = fsConfigArquivos->PrefixoArqCFeCanc + chave;
    }
    return pasta + nome + Sufixo + Extensao;
}

} // namespace orv
