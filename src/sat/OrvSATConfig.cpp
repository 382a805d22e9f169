#include "sat/OrvSATConfig.h"

#include "cfe/Gerador.h"
#include "sat/OrvSAT.h"
#include "sat/OrvSATResposta.h"
#include "support/Biblioteca.h"
#include "support/Texto.h"

#include <filesystem>

namespace orv {

namespace {

constexpr char kDelimitador = static_cast<char>(std::filesystem::path::preferred_separator);

std::string pastaDoPrograma() {
    std::string exe = arquivoPrograma();
    std::filesystem::path p = exe.empty() ? std::filesystem::current_path()
                                          : std::filesystem::path(exe).parent_path();
    return garantirDelimitador(p.string());
}

std::string normalizarPasta(const std::string& valor) {
    std::string s = trim(valor);
    while (!s.empty() && (s.back() == '\\' || s.back() == '/'))
        s.pop_back();
    return s;
}

const std::string& pastaOuPadrao(std::string& pasta, const char* nome) {
    if (pasta.empty())
        pasta = pastaDoPrograma() + nome;
    return pasta;
}

std::string doisDigitos(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// Text of one <tag>...</tag> of a flat document; false when the tag is absent.
bool lerTag(const std::string& xml, const std::string& tag, std::string& valor) {
    auto ini = xml.find("<" + tag + ">");
    if (ini == std::string::npos)
        return false;
    ini += tag.size() + 2;
    auto fim = xml.find("</" + tag + ">", ini);
    if (fim == std::string::npos)
        return false;
    valor = xml.substr(ini, fim - ini);
    return true;
}

std::string desescaparXml(const std::string& s) {
    std::string r = substituirTudo(s, "&lt;", "<");
    r = substituirTudo(r, "&gt;", ">");
    r = substituirTudo(r, "&quot;", "\"");
    return substituirTudo(r, "&amp;", "&");
}

constexpr const char* kTiposInter[] = {"ETHE", "WIFI"};
constexpr const char* kSegs[] = {"NONE", "WEP", "WPA", "WPA2", "WPA-PERSONAL", "WPA-ENTERPRISE"};
constexpr const char* kTiposLan[] = {"DHCP", "PPPoE", "IPFIX"};

template <class E, std::size_t N>
void lerEnum(const std::string& xml, const char* tag, const char* const (&textos)[N], E& destino) {
    std::string v;
    if (!lerTag(xml, tag, v))
        return;
    for (std::size_t i = 0; i < N; ++i)
        if (iguaisSemCaixa(trim(v), textos[i]))
            destino = static_cast<E>(i);
}

} // namespace

std::string garantirDelimitador(const std::string& pasta) {
    std::string s = trim(pasta);
    if (!s.empty() && s.back() != kDelimitador)
        s += kDelimitador;
    return s;
}

std::string apenasDigitos(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c >= '0' && c <= '9')
            r += c;
    return r;
}

TOrvSATConfig::TOrvSATConfig(TOrvSAT* AOwner) : fOwner(AOwner) {
    if (!AOwner)
        throw EOrvSATErro("Dono de TOrvSATConfig deve ser TOrvSAT");
}

void TOrvSATConfig::setEhUTF8(bool valor) {
    if (valor)
        PaginaDeCodigo = 65001;
    else if (PaginaDeCodigo == 65001)
        PaginaDeCodigo = 0;
}

TOrvSATConfigArquivos::TOrvSATConfigArquivos(TOrvSAT* AOwner) : fOwner(AOwner) {
    if (!AOwner)
        throw EOrvSATErro("Dono de TOrvSATConfig deve ser TOrvSAT");
}

void TOrvSATConfigArquivos::setSepararPorMes(bool valor) {
    fSepararPorMes = valor;
    if (!valor)
        fSepararPorDia = false;
}

void TOrvSATConfigArquivos::setSepararPorDia(bool valor) {
    fSepararPorDia = valor;
    if (valor)
        fSepararPorMes = true;
}

const std::string& TOrvSATConfigArquivos::PastaCFeVenda() const {
    return pastaOuPadrao(fPastaCFeVenda, "Vendas");
}
void TOrvSATConfigArquivos::setPastaCFeVenda(const std::string& v) { fPastaCFeVenda = normalizarPasta(v); }
const std::string& TOrvSATConfigArquivos::PastaCFeCancelamento() const {
    return pastaOuPadrao(fPastaCFeCancelamento, "Cancelamentos");
}
void TOrvSATConfigArquivos::setPastaCFeCancelamento(const std::string& v) {
    fPastaCFeCancelamento = normalizarPasta(v);
}
const std::string& TOrvSATConfigArquivos::PastaEnvio() const {
    return pastaOuPadrao(fPastaEnvio, "Enviado");
}
void TOrvSATConfigArquivos::setPastaEnvio(const std::string& v) { fPastaEnvio = normalizarPasta(v); }

std::string TOrvSATConfigArquivos::CalcPath(const std::string& APath, const std::string& CNPJ,
                                            TDateTime Data) const {
    std::string pasta = APath.empty() ? PastaCFeVenda() : APath;
    std::string cnpjEvento = CNPJ;
    if (SepararPorCNPJ) {
        std::string digitos = apenasDigitos(CNPJ);
        if (digitos.empty())
            digitos = apenasDigitos(fOwner->Config().emit_CNPJ);
        cnpjEvento = digitos;
        if (!digitos.empty())
            pasta = garantirDelimitador(pasta) + digitos;
    }
    if (SepararPorModelo)
        pasta = garantirDelimitador(pasta) + fOwner->PrefixoCFe();
    if (SepararPorAno || fSepararPorMes || fSepararPorDia) {
        if (Data == 0)
            Data = agora();
        PartesData p = decodificarDataHora(Data);
        std::string ano = std::to_string(p.ano);
        ano = std::string(ano.size() < 4 ? 4 - ano.size() : 0, '0') + ano;
        if (SepararPorAno)
            pasta = garantirDelimitador(pasta) + ano;
        if (fSepararPorMes) {
            pasta = garantirDelimitador(pasta) + (SepararPorAno ? "" : ano) + doisDigitos(p.mes);
            if (fSepararPorDia)
                pasta = garantirDelimitador(pasta) + doisDigitos(p.dia);
        }
    }
    if (fOwner->OnCalcPath)
        fOwner->OnCalcPath(pasta, cnpjEvento, Data);
    return garantirDelimitador(pasta);
}

std::string TRede::GerarXML() const {
    auto tag = [](const char* nome, const std::string& valor) {
        return std::string("<") + nome + ">" + escaparXML(valor) + "</" + nome + ">";
    };
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><config>";
    x += tag("tipoInter", kTiposInter[static_cast<int>(tipoInter)]);
    if (tipoInter == TTipoInterface::infWIFI) {
        x += tag("SSID", SSID);
        x += tag("seg", kSegs[static_cast<int>(seg)]);
        x += tag("codigo", codigo);
    }
    x += tag("tipoLan", kTiposLan[static_cast<int>(tipoLan)]);
    if (tipoLan == TTipoLan::lanIPFIX) {
        x += tag("lanIP", lanIP);
        x += tag("lanMask", lanMask);
        x += tag("lanGW", lanGW);
        x += tag("lanDNS1", lanDNS1);
        x += tag("lanDNS2", lanDNS2);
    } else if (tipoLan == TTipoLan::lanPPPoE) {
        x += tag("usuario", usuario);
        x += tag("senha", senha);
    }
    x += tag("proxy", std::to_string(proxy));
    if (proxy > 0) {
        x += tag("proxy_ip", proxy_ip);
        x += tag("proxy_porta", std::to_string(proxy_porta));
        x += tag("proxy_user", proxy_user);
        x += tag("proxy_senha", proxy_senha);
    }
    return x + "</config>";
}

void TRede::LerXML(const std::string& xml) {
    lerEnum(xml, "tipoInter", kTiposInter, tipoInter);
    lerEnum(xml, "seg", kSegs, seg);
    lerEnum(xml, "tipoLan", kTiposLan, tipoLan);
    struct {
        const char* tag;
        std::string* destino;
    } textos[] = {{"SSID", &SSID},       {"codigo", &codigo},         {"lanIP", &lanIP},
                  {"lanMask", &lanMask}, {"lanGW", &lanGW},           {"lanDNS1", &lanDNS1},
                  {"lanDNS2", &lanDNS2}, {"usuario", &usuario},       {"senha", &senha},
                  {"proxy_ip", &proxy_ip}, {"proxy_user", &proxy_user}, {"proxy_senha", &proxy_senha}};
    std::string v;
    for (auto& t : textos)
        if (lerTag(xml, t.tag, v))
            *t.destino = desescaparXml(v);
    if (lerTag(xml, "proxy", v))
        proxy = lerInteiro(trim(v));
    if (lerTag(xml, "proxy_porta", v))
        proxy_porta = lerInteiro(trim(v));
}

} // namespace orv
