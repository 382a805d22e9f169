// The sixteen exported commands. Each call: read satemu.ini, apply the requested misbehaviour,
// run the command in one SQLite transaction, record the session's answer, commit, answer.

#include "satemu.h"

#include "Configuracao.h"
#include "Estado.h"
#include "Util.h"
#include "Venda.h"

#include <libxml/parser.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace satemu {
namespace {

// Each command family answers in its own range: base + 0 success, +98 busy, +99 unknown.
struct Familia {
    int base;
    const char* nome;
    bool fiscal;  // sale and cancellation answers carry the CCCC field
};

const Familia kAtivar{4000, "AtivarSAT", false};
const Familia kCertificado{5000, "ComunicarCertificadoICPBRASIL", false};
const Familia kVenda{6000, "EnviarDadosVenda", true};
const Familia kCancelar{7000, "CancelarUltimaVenda", true};
const Familia kConsultar{8000, "ConsultarSAT", false};
const Familia kTeste{9000, "TesteFimAFim", false};
const Familia kStatus{10000, "ConsultarStatusOperacional", false};
const Familia kNumeroSessao{11000, "ConsultarNumeroSessao", false};
const Familia kRede{12000, "ConfigurarInterfaceDeRede", false};
const Familia kAssociar{13000, "AssociarAssinatura", false};
const Familia kAtualizar{14000, "AtualizarSoftwareSAT", false};
const Familia kLogs{15000, "ExtrairLogs", false};
const Familia kBloquear{16000, "BloquearSAT", false};
const Familia kDesbloquear{17000, "DesbloquearSAT", false};
const Familia kTrocar{18000, "TrocarCodigoDeAtivacao", false};
const Familia kUltimaFiscal{19000, "ConsultarUltimaSessaoFiscal", false};

std::string codigo5(int c)
{
    std::string s = std::to_string(c);
    return std::string(s.size() < 5 ? 5 - s.size() : 0, '0') + s;
}

// numeroSessao|EEEEE|[CCCC|]mensagem|cod|mensagemSEFAZ[|extra...]
std::string responder(int sessao, const Familia& f, int codigo, const std::string& mensagem,
                      const std::vector<std::string>& extras = {}, int cccc = 0)
{
    std::string r = std::to_string(sessao) + "|" + codigo5(codigo) + "|";
    if (f.fiscal) r += codigo5(cccc).substr(1) + "|";
    r += campoSeguro(mensagem) + "||";
    for (const auto& e : extras) r += "|" + e;
    return r;
}

struct Chamada {
    int sessao;
    const Familia& f;
    const Configuracao& cfg;
    Estado& estado;
    std::time_t agora;
    bool autorizado = false;  // a coupon was issued in this session
};

struct Resultado {
    std::string resposta;
    bool autorizado = false;
};

// Activation code and activation state, the checks every command but ConsultarSAT makes first.
// `naoAtivado` is the family's "not activated" code, or 0 when the family has none.
std::optional<std::string> exigirAtivacao(Chamada& c, const char* codigo, int naoAtivado, int codigoInvalido)
{
    const Dispositivo& d = c.estado.dispositivo();
    if (!d.ativado)
        return responder(c.sessao, c.f, naoAtivado ? naoAtivado : c.f.base + 99, "SAT ainda não ativado");
    if (!codigo || d.codigoAtivacao != codigo)
        return responder(c.sessao, c.f, codigoInvalido, "Código de ativação inválido");
    return std::nullopt;
}

// Blocked devices refuse fiscal commands with the family's code for the kind of lock.
std::optional<std::string> exigirDesbloqueado(Chamada& c, int contribuinte, int sefaz, int autonomo)
{
    const std::string& b = c.estado.dispositivo().bloqueio;
    if (b == "BLOQUEIO_CONTRIBUINTE") return responder(c.sessao, c.f, contribuinte, "SAT bloqueado pelo contribuinte");
    if (b == "BLOQUEIO_SEFAZ" || b == "BLOQUEIO_DESATIVACAO")
        return responder(c.sessao, c.f, sefaz, "SAT bloqueado pela SEFAZ");
    if (b == "BLOQUEIO_AUTONOMO") return responder(c.sessao, c.f, autonomo, "SAT bloqueado por falta de comunicação");
    return std::nullopt;
}

constexpr size_t kLimiteDocumento = 1500 * 1024;

std::string emitida(const Chamada& c, int codigo, const char* mensagem, const Emissao& e)
{
    return responder(c.sessao, c.f, codigo, mensagem,
                     {base64(e.xml), e.carimbo, "CFe" + e.chave, e.vCFe, e.dest, e.qrcode});
}

void registrarDocumento(Chamada& c, const Emissao& e, const char* tipo, const std::string& cancelada)
{
    Documento doc;
    doc.ncfe = e.ncfe;
    doc.chave = e.chave;
    doc.tipo = tipo;
    doc.carimbo = e.carimbo;
    doc.vCFe = e.vCFe;
    doc.dest = e.dest;
    doc.xml = e.xml;
    doc.chaveCancelada = cancelada;
    doc.sessao = c.sessao;
    c.estado.inserirDocumento(doc);
    c.estado.dispositivo().ultimoNcfe = e.ncfe;
}

Resultado venda(Chamada& c, const char* codigo, const char* dados)
{
    if (auto r = exigirAtivacao(c, codigo, 6002, 6001)) return {*r};
    if (auto r = exigirDesbloqueado(c, 6006, 6007, 6008)) return {*r};
    Dispositivo& d = c.estado.dispositivo();
    if (!d.vinculado) return {responder(c.sessao, c.f, 6003, "SAT não vinculado ao AC", {}, 1221)};
    std::string xml = dados ? dados : "";
    if (xml.size() > kLimiteDocumento)
        return {responder(c.sessao, c.f, 6005, "Erro: tamanho do CF-e-SAT superior a 1.500 KB")};
    if (c.cfg.falhas.rejeitarVendas > 0) {
        gravarChaveIni(c.cfg.arquivo, "falhas", "rejeitar_vendas", std::to_string(c.cfg.falhas.rejeitarVendas - 1));
        int cod = c.cfg.falhas.rejeitarCodigo;
        return {responder(c.sessao, c.f, 6010, textoRejeicao(cod), {}, cod)};
    }
    try {
        Emissao e = autorizarVenda(xml, c.cfg, d, c.estado.proximoNcfe(), c.agora);
        registrarDocumento(c, e, "V", "");
        return {emitida(c, 6000, "Emitido com sucesso + conteúdo notas.", e), true};
    } catch (const Rejeicao& r) {
        return {responder(c.sessao, c.f, r.retorno ? r.retorno : 6010, r.what(), {}, r.codigo)};
    }
}

Resultado cancelamento(Chamada& c, const char* codigo, const char* chave, const char* dados)
{
    if (auto r = exigirAtivacao(c, codigo, 0, 7001)) return {*r};
    if (auto r = exigirDesbloqueado(c, 7003, 7004, 7005)) return {*r};
    Dispositivo& d = c.estado.dispositivo();
    if (!d.vinculado) return {responder(c.sessao, c.f, 7007, textoRejeicao(1221), {}, 1221)};
    std::string ch = chave ? chave : "";
    if (ch.size() != 47 || ch.compare(0, 3, "CFe") != 0 || !soDigitos(ch.substr(3)) ||
        digitoChave(ch.substr(3, 43)) != ch.back() - '0')
        return {responder(c.sessao, c.f, 7002, "Cupom inválido: chave de acesso mal formada")};
    std::string xml = dados ? dados : "";
    if (xml.size() > kLimiteDocumento)
        return {responder(c.sessao, c.f, 7007, "Erro: tamanho do documento superior a 1.500 KB", {}, 1999)};
    try {
        auto ultimo = c.estado.ultimoDocumento();
        auto alvo = c.estado.documentoPorChave(ch.substr(3));
        Emissao e = autorizarCancelamento(ch, xml, c.cfg, d, ultimo, alvo, c.estado.proximoNcfe(), c.agora);
        registrarDocumento(c, e, "C", ch.substr(3));
        c.estado.marcarCancelado(ch.substr(3));
        return {emitida(c, 7000, "Cupom cancelado com sucesso + conteúdo CF-e-SAT cancelado.", e), true};
    } catch (const Rejeicao& r) {
        return {responder(c.sessao, c.f, r.retorno ? r.retorno : 7007, r.what(), {}, r.codigo)};
    }
}

Resultado status(Chamada& c, const char* codigo)
{
    if (auto r = exigirAtivacao(c, codigo, 0, 10001)) return {*r};
    Estado& e = c.estado;
    const Dispositivo& d = e.dispositivo();
    auto ultimo = e.ultimoDocumento();
    auto primeiro = e.primeiroDocumento();
    std::string mac = "00:5A:" + d.serie.substr(1, 2) + ":" + d.serie.substr(3, 2) + ":" + d.serie.substr(5, 2) + ":" +
                      d.serie.substr(7, 2);
    long long usados = e.bytesUsados();
    std::string agora = formatarHora(c.agora, "%Y%m%d%H%M%S");
    std::vector<std::string> campos = {
        d.serie,
        e.parametro("tipoLan", "DHCP"),
        e.parametro("lanIP", "192.168.0.50"),
        mac,
        e.parametro("lanMask", "255.255.255.0"),
        e.parametro("lanGW", "192.168.0.1"),
        e.parametro("lanDNS1", "8.8.8.8"),
        e.parametro("lanDNS2", "8.8.4.4"),
        "CONECTADO",
        "ALTO",
        "4 GB",
        std::to_string((usados + 1023) / 1024) + " KB",
        agora,
        "01.00.00",
        "00.08",
        ultimo ? ultimo->chave : "",
        primeiro ? primeiro->chave : std::string(44, '0'),
        ultimo ? ultimo->chave : std::string(44, '0'),
        ultimo ? ultimo->carimbo : "",
        agora,
        d.cred.emissao.substr(0, 8),
        d.cred.vencimento.substr(0, 8),
        d.bloqueio,
    };
    return {responder(c.sessao, c.f, 10000, "Resposta com Sucesso.", campos)};
}

Resultado numeroSessao(Chamada& c, const char* codigo, int consultada)
{
    if (auto r = exigirAtivacao(c, codigo, 11002, 11001)) return {*r};
    if (auto r = c.estado.respostaSessao(consultada)) return {*r};
    return {responder(c.sessao, c.f, 11003, "Sessão não existe")};
}

Resultado ultimaFiscal(Chamada& c, const char* codigo)
{
    if (auto r = exigirAtivacao(c, codigo, 19002, 19001)) return {*r};
    const std::string& u = c.estado.dispositivo().ultimaRespostaFiscal;
    if (!u.empty()) return {u};
    return {responder(c.sessao, c.f, 19003, "Não existe sessão fiscal a consultar")};
}

Resultado ativar(Chamada& c, int sub, const char* codigo, const char* cnpj, int uf)
{
    Dispositivo& d = c.estado.dispositivo();
    if (d.ativado) return {responder(c.sessao, c.f, 4003, "SAT já ativado")};
    std::string cod = codigo ? codigo : "", doc = cnpj ? cnpj : "";
    if (sub < 1 || sub > 3) return {responder(c.sessao, c.f, 4099, "Subcomando de ativação inválido")};
    if (cod.size() < 8 || cod.size() > 32) return {responder(c.sessao, c.f, 4099, "Código de ativação fora do tamanho (8 a 32)")};
    if (!cnpjValido(doc) || doc != c.cfg.cnpjEmitente)
        return {responder(c.sessao, c.f, 4002, "SEFAZ não reconhece este SAT (CNPJ inválido)")};
    if (uf != c.cfg.uf) return {responder(c.sessao, c.f, 4099, "Código da UF diferente da UF registrada no SAT")};
    d.ativado = true;
    d.codigoAtivacao = cod;
    d.cnpjContribuinte = doc;
    d.uf = uf;
    return {responder(c.sessao, c.f, 4000, "Ativado corretamente", {base64(d.cred.certificadoPem)})};
}

Resultado associar(Chamada& c, const char* codigo, const char* cnpjs, const char* assinatura)
{
    if (auto r = exigirAtivacao(c, codigo, 13099, 13001)) return {*r};
    Dispositivo& d = c.estado.dispositivo();
    std::string v = cnpjs ? cnpjs : "", a = assinatura ? assinatura : "";
    if (v.size() != 28 || !cnpjValido(v.substr(0, 14)) || !cnpjValido(v.substr(14)))
        return {responder(c.sessao, c.f, 13002, "Erro na formatação dos CNPJs")};
    if (a.empty() || a.size() > 344) return {responder(c.sessao, c.f, 13003, "Assinatura fora do padrão informado")};
    if (v.substr(14) != d.cnpjContribuinte)
        return {responder(c.sessao, c.f, 13004, "CNPJ do contribuinte assinado não confere com o ativado no SAT")};
    d.vinculado = true;
    d.cnpjSoftwareHouse = v.substr(0, 14);
    d.signAC = a;
    return {responder(c.sessao, c.f, 13000, "Assinatura do AC Registrada")};
}

Resultado bloquear(Chamada& c, const char* codigo)
{
    if (auto r = exigirAtivacao(c, codigo, 16099, 16001)) return {*r};
    Dispositivo& d = c.estado.dispositivo();
    if (d.bloqueio != "DESBLOQUEADO") return {responder(c.sessao, c.f, 16002, "Equipamento SAT já está bloqueado")};
    d.bloqueio = "BLOQUEIO_CONTRIBUINTE";
    return {responder(c.sessao, c.f, 16000, "Equipamento SAT bloqueado com sucesso.")};
}

Resultado desbloquear(Chamada& c, const char* codigo)
{
    if (auto r = exigirAtivacao(c, codigo, 17099, 17001)) return {*r};
    Dispositivo& d = c.estado.dispositivo();
    if (d.bloqueio == "DESBLOQUEADO") return {responder(c.sessao, c.f, 17003, "SAT já desbloqueado")};
    if (d.bloqueio != "BLOQUEIO_CONTRIBUINTE")
        return {responder(c.sessao, c.f, 17002, "SAT bloqueado pela SEFAZ: desbloqueio só pela SEFAZ")};
    d.bloqueio = "DESBLOQUEADO";
    return {responder(c.sessao, c.f, 17000, "Equipamento SAT desbloqueado com sucesso.")};
}

Resultado trocarCodigo(Chamada& c, const char* codigo, int opcao, const char* novo, const char* confirmacao)
{
    Dispositivo& d = c.estado.dispositivo();
    if (!d.ativado) return {responder(c.sessao, c.f, 18099, "SAT ainda não ativado")};
    std::string cod = codigo ? codigo : "", n = novo ? novo : "", conf = confirmacao ? confirmacao : "";
    if (opcao == 1 && cod != d.codigoAtivacao) return {responder(c.sessao, c.f, 18001, "Código de ativação inválido")};
    if (opcao == 2 && cod != c.cfg.codigoEmergencia)
        return {responder(c.sessao, c.f, 18002, "Código de ativação de emergência incorreto")};
    if (opcao != 1 && opcao != 2) return {responder(c.sessao, c.f, 18099, "Opção inválida")};
    if (n != conf) return {responder(c.sessao, c.f, 18003, "Código de confirmação não confere")};
    if (n.size() < 8 || n.size() > 32) return {responder(c.sessao, c.f, 18099, "Novo código fora do tamanho (8 a 32)")};
    d.codigoAtivacao = n;
    return {responder(c.sessao, c.f, 18000, "Código de ativação alterado com sucesso")};
}

Resultado rede(Chamada& c, const char* codigo, const char* dados)
{
    if (auto r = exigirAtivacao(c, codigo, 12099, 12001)) return {*r};
    std::string xml = dados ? dados : "";
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return {responder(c.sessao, c.f, 12002, "Erro na formatação do XML")};
    xmlNodePtr raiz = xmlDocGetRootElement(doc);
    for (xmlNodePtr n = raiz ? raiz->children : nullptr; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE) continue;
        std::string nome = reinterpret_cast<const char*>(n->name);
        if (nome == "tipoLan" || nome == "lanIP" || nome == "lanMask" || nome == "lanGW" || nome == "lanDNS1" ||
            nome == "lanDNS2") {
            xmlChar* v = xmlNodeGetContent(n);
            c.estado.gravarParametro(nome, campoSeguro(v ? reinterpret_cast<char*>(v) : ""));
            xmlFree(v);
        }
    }
    xmlFreeDoc(doc);
    return {responder(c.sessao, c.f, 12000, "Rede Configurada com Sucesso")};
}

Resultado testeFimAFim(Chamada& c, const char* codigo, const char* dados)
{
    if (auto r = exigirAtivacao(c, codigo, 9002, 9001)) return {*r};
    try {
        // Checked and signed like a sale, numbered 0 and never stored.
        Emissao e = autorizarVenda(dados ? dados : "", c.cfg, c.estado.dispositivo(), 0, c.agora);
        return {responder(c.sessao, c.f, 9000, "Emitido com sucesso", {base64(e.xml), e.carimbo, "000000", "CFe" + e.chave})};
    } catch (const Rejeicao& r) {
        return {responder(c.sessao, c.f, 9099, std::to_string(r.codigo) + " " + r.what())};
    }
}

Resultado extrairLogs(Chamada& c, const char* codigo)
{
    if (auto r = exigirAtivacao(c, codigo, 15099, 15001)) return {*r};
    std::string texto;
    for (const auto& l : c.estado.registro(5000))
        texto += l.carimbo + " sessao " + std::to_string(l.sessao) + " " + l.comando + " " + l.codigo + "\n";
    return {responder(c.sessao, c.f, 15000, "Transferência completa", {base64(texto)})};
}

Resultado simples(Chamada& c, const char* codigo, const char* mensagem)
{
    if (auto r = exigirAtivacao(c, codigo, c.f.base + 99, c.f.base + 1)) return {*r};
    return {responder(c.sessao, c.f, c.f.base, mensagem)};
}

// Bytes that are no answer at all: no separators, control characters, invalid UTF-8.
const char kLixo[] = "\x01\x02\xfe\xff@@SAT#\x7f\x1b[0m\xc3(\xa0\xa1 ~~ ?\x05";

thread_local std::string tResposta;
std::mutex gComando;

std::string corromper(std::string r, int sessao, const Falhas& f)
{
    if (f.lixo) return kLixo;
    if (f.sessaoErrada) {
        size_t p = r.find('|');
        r = std::to_string(sessao >= 999999 ? 0 : sessao + 1) + (p == std::string::npos ? "" : r.substr(p));
    }
    if (f.respostaCortada) {
        auto campos = dividir(r, '|');
        r = campos[0];
        for (size_t i = 1; i < std::min<size_t>(3, campos.size()); ++i) r += "|" + campos[i];
    }
    return r;
}

const char* executar(int sessao, const Familia& f, const std::function<Resultado(Chamada&)>& corpo,
                     bool gravarSessao = true)
{
    std::unique_lock<std::mutex> trava(gComando, std::try_to_lock);
    if (!trava.owns_lock()) {
        tResposta = responder(sessao, f, f.base + 98, "SAT em processamento. Tente novamente.");
        return tResposta.c_str();
    }
    Configuracao cfg;
    std::string resposta;
    try {
        cfg = lerConfiguracao(caminhoIni());
        const Falhas& fa = cfg.falhas;
        if (fa.atrasoMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fa.atrasoMs));
        if (fa.travarSegundos > 0) std::this_thread::sleep_for(std::chrono::seconds(fa.travarSegundos));
        if (fa.ocupado) {
            resposta = responder(sessao, f, f.base + 98, "SAT em processamento. Tente novamente.");
        } else if (sessao < 0 || sessao > 999999) {
            resposta = responder(sessao, f, f.base + 99, "Número de sessão inválido (0 a 999999)");
        } else {
            Estado estado(cfg);
            Chamada ch{sessao, f, cfg, estado, agora(cfg.deslocamentoRelogio)};
            estado.iniciar();
            try {
                Resultado r = corpo(ch);
                resposta = r.resposta;
                std::string carimbo = formatarHora(ch.agora, "%Y%m%d%H%M%S");
                if (gravarSessao) estado.gravarSessao(sessao, f.nome, resposta, carimbo);
                if (f.fiscal) estado.dispositivo().ultimaRespostaFiscal = resposta;
                auto campos = dividir(resposta, '|');
                estado.registrar(carimbo, sessao, f.nome, campos.size() > 1 ? campos[1] : "");
                estado.salvarDispositivo();
                estado.confirmar();
                if (r.autorizado && fa.morrerAposAutorizar > 0) {
                    // Power lost after the coupon is stored: no answer ever leaves the device.
                    gravarChaveIni(cfg.arquivo, "falhas", "morrer_apos_autorizar",
                                   std::to_string(fa.morrerAposAutorizar - 1));
                    raise(SIGKILL);
                }
            } catch (...) {
                estado.desfazer();
                throw;
            }
        }
        resposta = corromper(resposta, sessao, fa);
    } catch (const std::exception& e) {
        resposta = responder(sessao, f, f.base + 99, std::string("Erro desconhecido: ") + e.what());
    } catch (...) {
        resposta = responder(sessao, f, f.base + 99, "Erro desconhecido");
    }
    tResposta = cfg.windows1252 ? paraWindows1252(resposta) : resposta;
    return tResposta.c_str();
}

}  // namespace
}  // namespace satemu

using namespace satemu;

extern "C" {

const char* AssociarAssinatura(int s, const char* cod, const char* cnpjs, const char* assinatura)
{
    return executar(s, kAssociar, [&](Chamada& c) { return associar(c, cod, cnpjs, assinatura); });
}

const char* AtivarSAT(int s, int sub, const char* cod, const char* cnpj, int uf)
{
    return executar(s, kAtivar, [&](Chamada& c) { return ativar(c, sub, cod, cnpj, uf); });
}

const char* AtualizarSoftwareSAT(int s, const char* cod)
{
    return executar(s, kAtualizar, [&](Chamada& c) { return simples(c, cod, "Software Atualizado com Sucesso"); });
}

const char* BloquearSAT(int s, const char* cod)
{
    return executar(s, kBloquear, [&](Chamada& c) { return bloquear(c, cod); });
}

const char* CancelarUltimaVenda(int s, const char* cod, const char* chave, const char* dados)
{
    return executar(s, kCancelar, [&](Chamada& c) { return cancelamento(c, cod, chave, dados); });
}

const char* ComunicarCertificadoICPBRASIL(int s, const char* cod, const char* certificado)
{
    return executar(s, kCertificado, [&](Chamada& c) {
        if (auto r = exigirAtivacao(c, cod, 5099, 5001)) return Resultado{*r};
        if (!certificado || !*certificado) return Resultado{responder(c.sessao, c.f, 5002, "Certificado inválido")};
        return Resultado{responder(c.sessao, c.f, 5000, "Certificado transmitido com sucesso")};
    });
}

const char* ConfigurarInterfaceDeRede(int s, const char* cod, const char* dados)
{
    return executar(s, kRede, [&](Chamada& c) { return rede(c, cod, dados); });
}

const char* ConsultarNumeroSessao(int s, const char* cod, int consultada)
{
    return executar(s, kNumeroSessao, [&](Chamada& c) { return numeroSessao(c, cod, consultada); }, false);
}

const char* ConsultarSAT(int s)
{
    return executar(s, kConsultar, [&](Chamada& c) { return Resultado{responder(c.sessao, c.f, 8000, "SAT em operação")}; });
}

const char* ConsultarStatusOperacional(int s, const char* cod)
{
    return executar(s, kStatus, [&](Chamada& c) { return status(c, cod); });
}

const char* DesbloquearSAT(int s, const char* cod)
{
    return executar(s, kDesbloquear, [&](Chamada& c) { return desbloquear(c, cod); });
}

const char* EnviarDadosVenda(int s, const char* cod, const char* dados)
{
    return executar(s, kVenda, [&](Chamada& c) { return venda(c, cod, dados); });
}

const char* ExtrairLogs(int s, const char* cod)
{
    return executar(s, kLogs, [&](Chamada& c) { return extrairLogs(c, cod); });
}

const char* TesteFimAFim(int s, const char* cod, const char* dados)
{
    return executar(s, kTeste, [&](Chamada& c) { return testeFimAFim(c, cod, dados); });
}

const char* TrocarCodigoDeAtivacao(int s, const char* cod, int opcao, const char* novo, const char* confirmacao)
{
    return executar(s, kTrocar, [&](Chamada& c) { return trocarCodigo(c, cod, opcao, novo, confirmacao); });
}

const char* ConsultarUltimaSessaoFiscal(int s, const char* cod)
{
    return executar(s, kUltimaFiscal, [&](Chamada& c) { return ultimaFiscal(c, cod); });
}

}  // extern "C"
