// orvane-tool sat: drives a SAT device through the maker's library without the point-of-sale
// system, with the same component the system uses. Every command prints the answer as the
// device gave it, the parsed answer as JSON, and the path of each file saved; the exit status
// is 0 only when the device answered with the command's success code.

#include "Comandos.h"

#include "sat/OrvSAT.h"
#include "support/DataHora.h"
#include "support/Texto.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orvtool {

namespace {

using Json = nlohmann::ordered_json;
using namespace orv;

// A device that answered, but not with the success code.
constexpr int kSaidaFalhaDoSAT = 2;

struct OpcoesSat {
    std::string biblioteca;
    bool stdcall = false;
    std::string ativacao;
    int paginaDeCodigo = 0;
    std::string pasta = ".";
    bool verboso = false;
};

std::string textoJson(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string dataHoraJson(TDateTime dt) {
    return dt == 0 ? std::string() : formatarDataHora("yyyy-mm-dd hh:nn:ss", dt);
}

Json respostaJson(const TOrvSATResposta& r) {
    Json j;
    j["numeroSessao"] = r.numeroSessao();
    j["codigoDeRetorno"] = r.codigoDeRetorno();
    j["codigoDeErro"] = r.codigoDeErro();
    j["mensagemRetorno"] = r.mensagemRetorno();
    j["codigoSEFAZ"] = r.codigoSEFAZ();
    j["mensagemSEFAZ"] = r.mensagemSEFAZ();
    return j;
}

Json statusJson(const TOrvSATStatus& s) {
    Json j;
    j["NSERIE"] = s.NSERIE;
    j["LAN_MAC"] = s.LAN_MAC;
    j["STATUS_LAN"] = TOrvSATStatus::StatusLanToStr(s.STATUS_LAN);
    j["NIVEL_BATERIA"] = TOrvSATStatus::NivelBateriaToStr(s.NIVEL_BATERIA);
    j["MT_TOTAL"] = s.MT_TOTAL;
    j["MT_USADA"] = s.MT_USADA;
    j["DH_ATUAL"] = dataHoraJson(s.DH_ATUAL);
    j["VER_SB"] = s.VER_SB;
    j["VER_LAYOUT"] = s.VER_LAYOUT;
    j["ULTIMO_CFe"] = s.ULTIMO_CFe;
    j["LISTA_INICIAL"] = s.LISTA_INICIAL;
    j["LISTA_FINAL"] = s.LISTA_FINAL;
    j["DH_CFe"] = dataHoraJson(s.DH_CFe);
    j["DH_ULTIMA"] = dataHoraJson(s.DH_ULTIMA);
    j["CERT_EMISSAO"] = dataHoraJson(s.CERT_EMISSAO);
    j["CERT_VENCIMENTO"] = dataHoraJson(s.CERT_VENCIMENTO);
    j["ESTADO_OPERACAO"] = TOrvSATStatus::EstadoOperacaoToStr(s.ESTADO_OPERACAO);
    return j;
}

std::string lerArquivo(const std::string& arquivo) {
    std::ifstream f(arquivo, std::ios::binary);
    if (!f)
        throw ErroUso(arquivo + ": arquivo não encontrado ou sem permissão de leitura");
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// One command on a freshly configured component. `comando` sends it; `sucesso` judges the
// answer. Saved files are known from the component's own log lines.
void executar(const OpcoesSat& o, const std::function<void(TOrvSAT&)>& comando,
              const std::function<bool(const TOrvSAT&)>& sucesso, bool mostrarStatus = false) {
    if (o.paginaDeCodigo < 0 || o.paginaDeCodigo > 65535)
        throw ErroUso("--pagina-codigo fora da faixa 0 a 65535");
    std::error_code ec;
    std::filesystem::create_directories(o.pasta, ec);

    TOrvSAT sat;
    std::vector<std::string> salvos;
    sat.OnGravarLog = [&](const std::string& linha, bool&) {
        if (o.verboso)
            std::cerr << linha << '\n';
        for (const char* prefixo : {"  Gravando XML Venda enviado: ", "  Gravando XML Venda recebido: ",
                                    "  Gravando XML Cancelamento enviado: ",
                                    "  Gravando XML Cancelamento recebido: "})
            if (comecaCom(linha, prefixo))
                salvos.push_back(linha.substr(std::string(prefixo).size()));
    };
    sat.OnGetcodigoDeAtivacao = [&](std::string& c) { c = o.ativacao; };
    sat.setModelo(o.stdcall ? TOrvSATModelo::satDinamico_stdcall : TOrvSATModelo::satDinamico_cdecl);
    sat.setNomeDLL(o.biblioteca);
    sat.Config().PaginaDeCodigo = static_cast<std::uint16_t>(o.paginaDeCodigo);
    auto& arquivos = sat.ConfigArquivos();
    arquivos.SalvarEnvio = arquivos.SalvarCFe = arquivos.SalvarCFeCanc = true;
    arquivos.setPastaEnvio(o.pasta);
    arquivos.setPastaCFeVenda(o.pasta);
    arquivos.setPastaCFeCancelamento(o.pasta);

    auto imprimir = [&] {
        std::cout << sat.RespostaComando() << '\n' << textoJson(respostaJson(sat.Resposta())) << '\n';
        if (mostrarStatus && sat.Resposta().codigoDeRetorno() == 10000)
            std::cout << textoJson(statusJson(sat.Status())) << '\n';
        for (const auto& s : salvos)
            std::cout << s << '\n';
    };
    sat.Inicializar();
    try {
        comando(sat);
    } catch (...) {
        // The answer, when there was one, still helps whoever reads the failure.
        if (!sat.RespostaComando().empty())
            imprimir();
        throw;
    }
    imprimir();
    codigoSaida = sucesso(sat) ? 0 : kSaidaFalhaDoSAT;
    sat.DesInicializar();
}

bool codigo(const TOrvSAT& sat, int esperado) { return sat.Resposta().codigoDeRetorno() == esperado; }

} // namespace

void registrarComandosSat(CLI::App& app) {
    auto opcoes = std::make_shared<OpcoesSat>();
    CLI::App* sat = app.add_subcommand("sat", "Comandos do SAT pela biblioteca do fabricante");
    sat->require_subcommand(1);
    sat->fallthrough();
    sat->add_option("--biblioteca", opcoes->biblioteca, "Biblioteca do fabricante (caminho ou nome)")
        ->required();
    sat->add_flag("--stdcall", opcoes->stdcall, "Chama a biblioteca com a convenção stdcall (padrão: cdecl)");
    sat->add_option("--ativacao", opcoes->ativacao, "Código de ativação do SAT");
    sat->add_option("--pagina-codigo", opcoes->paginaDeCodigo,
                    "Página de código das respostas (0: ANSI; 65001: UTF-8)");
    sat->add_option("--pasta", opcoes->pasta, "Pasta dos pedidos e documentos gravados (padrão: a atual)");
    sat->add_flag("-v,--verboso", opcoes->verboso, "Mostra o log do componente na saída de erros");

    sat->add_subcommand("status", "ConsultarStatusOperacional: a resposta e o status em JSON")
        ->callback([opcoes] {
            executar(*opcoes, [](TOrvSAT& s) { s.ConsultarStatusOperacional(); },
                     [](const TOrvSAT& s) { return codigo(s, 10000); }, true);
        });

    sat->add_subcommand("consultar", "ConsultarSAT")->callback([opcoes] {
        executar(*opcoes, [](TOrvSAT& s) { s.ConsultarSAT(); },
                 [](const TOrvSAT& s) { return codigo(s, 8000); });
    });

    auto numero = std::make_shared<int>(0);
    CLI::App* sessao = sat->add_subcommand("sessao", "ConsultarNumeroSessao: a resposta de uma sessão anterior");
    sessao->add_option("N", *numero, "Número da sessão consultada")->required();
    sessao->callback([opcoes, numero] {
        // The device answers a known session with that session's own answer.
        executar(*opcoes, [numero](TOrvSAT& s) { s.ConsultarNumeroSessao(*numero); },
                 [numero](const TOrvSAT& s) {
                     int c = s.Resposta().codigoDeRetorno();
                     return c == 11000 || (s.Resposta().numeroSessao() == *numero && c / 1000 != 11 && c != 0);
                 });
    });

    auto arquivoVenda = std::make_shared<std::string>();
    CLI::App* venda = sat->add_subcommand("venda", "EnviarDadosVenda de um documento de entrada");
    venda->add_option("ARQUIVO", *arquivoVenda, "Documento de entrada (dados da venda) em XML")->required();
    venda->callback([opcoes, arquivoVenda] {
        std::string dados = lerArquivo(*arquivoVenda);
        executar(*opcoes, [&dados](TOrvSAT& s) { s.EnviarDadosVenda(dados); },
                 [](const TOrvSAT& s) { return codigo(s, 6000); });
    });

    auto arquivoCupom = std::make_shared<std::string>();
    CLI::App* cancelar = sat->add_subcommand("cancelar", "CancelarUltimaVenda de um cupom autorizado");
    cancelar->add_option("ARQUIVO", *arquivoCupom, "CF-e autorizado a cancelar")->required();
    cancelar->callback([opcoes, arquivoCupom] {
        std::string xml = lerArquivo(*arquivoCupom);
        executar(*opcoes,
                 [&xml, arquivoCupom](TOrvSAT& s) {
                     try {
                         s.CFe().SetXMLString(xml);
                     } catch (const std::exception& e) {
                         throw ErroUso(*arquivoCupom + ": " + e.what());
                     }
                     if (apenasDigitos(s.CFe().infCFe.ID).size() != 44)
                         throw ErroUso(*arquivoCupom + ": não é um CF-e autorizado (sem a chave de acesso)");
                     s.CancelarUltimaVenda();
                 },
                 [](const TOrvSAT& s) { return codigo(s, 7000); });
    });
}

} // namespace orvtool
