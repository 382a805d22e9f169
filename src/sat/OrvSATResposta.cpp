#include "sat/OrvSATResposta.h"

#include "sat/OrvSATConfig.h"
#include "support/Texto.h"

#include <array>
#include <limits>
#include <stdexcept>

namespace orv {

int lerInteiro(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negativo = s[i++] == '-';
    if (i == s.size())
        return 0;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return 0;
    }
    if (negativo)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return 0;
    return static_cast<int>(v);
}

void TOrvSATResposta::Clear() {
    fCodigoDeErro = 0;
    fNumeroSessao = 0;
    fCodigoDeRetorno = 0;
    fMensagemRetorno.clear();
    fCodigoSEFAZ = 0;
    fMensagemSEFAZ.clear();
    fRetornoLst.clear();
    fRetornoStr.clear();
}

void TOrvSATResposta::setRetornoStr(const std::string& resposta) {
    Clear();
    fRetornoStr = resposta;
    if (!resposta.empty())
        fRetornoLst = dividir(resposta, '|');
    const std::size_t n = fRetornoLst.size();
    if (n >= 2) {
        fNumeroSessao = lerInteiro(fRetornoLst[0]);
        fCodigoDeRetorno = lerInteiro(fRetornoLst[1]);
    }
    // Field 2 is normally a four-digit code; without it the message moves up one place.
    std::size_t posMensagem = 2;
    if (n >= 3) {
        std::string c = trim(fRetornoLst[2]);
        bool codigo = c.size() == 4;
        for (char ch : c)
            codigo = codigo && ch >= '0' && ch <= '9';
        if (codigo) {
            fCodigoDeErro = lerInteiro(c);
            posMensagem = 3;
        }
    }
    if (n > posMensagem + 2) {
        fMensagemRetorno = trim(fRetornoLst[posMensagem]);
        fCodigoSEFAZ = lerInteiro(fRetornoLst[posMensagem + 1]);
        fMensagemSEFAZ = trim(fRetornoLst[posMensagem + 2]);
    } else {
        fMensagemRetorno = resposta;
    }
}

const std::string& TOrvSATResposta::campo(std::size_t indice) const {
    if (indice >= fRetornoLst.size())
        throw std::out_of_range("Índice de lista fora dos limites (" + std::to_string(indice) + ")");
    return fRetornoLst[indice];
}

namespace {

constexpr std::array<const char*, 2> kTextosLan = {"CONECTADO", "NAO_CONECTADO"};
constexpr std::array<const char*, 3> kTextosBateria = {"ALTO", "MEDIO", "BAIXO"};
constexpr std::array<const char*, 5> kTextosEstado = {"DESBLOQUEADO", "BLOQUEIO_SEFAZ",
                                                      "BLOQUEIO_CONTRIBUINTE", "BLOQUEIO_AUTONOMO",
                                                      "BLOQUEIO_DESATIVACAO"};

template <class E, std::size_t N>
std::string paraTextoEnum(E v, const std::array<const char*, N>& textos) {
    auto i = static_cast<std::size_t>(v);
    return i < N ? textos[i] : std::string();
}

template <class E, std::size_t N>
E deTextoEnum(bool& ok, std::string_view s, const std::array<const char*, N>& textos) {
    for (std::size_t i = 0; i < N; ++i)
        if (iguaisSemCaixa(s, textos[i])) {
            ok = true;
            return static_cast<E>(i);
        }
    ok = false;
    return static_cast<E>(0);
}

bool soDigitos(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Digits of [inicio, inicio + n) as a number; -1 when missing or not all digits.
int parteNumerica(std::string_view s, std::size_t inicio, std::size_t n) {
    if (inicio + n > s.size())
        return -1;
    auto parte = s.substr(inicio, n);
    return soDigitos(parte) ? lerInteiro(parte) : -1;
}

} // namespace

std::string TOrvSATStatus::StatusLanToStr(TOrvSATStatusLan v) { return paraTextoEnum(v, kTextosLan); }
std::string TOrvSATStatus::NivelBateriaToStr(TOrvSATNivelBateria v) {
    return paraTextoEnum(v, kTextosBateria);
}
std::string TOrvSATStatus::EstadoOperacaoToStr(TOrvSATEstadoOperacao v) {
    return paraTextoEnum(v, kTextosEstado);
}

TOrvSATStatusLan TOrvSATStatus::StrToStatusLan(bool&, std::string_view s) {
    return maiusculas(s) == "CONECTADO" ? TOrvSATStatusLan::lanCONECTADO
                                        : TOrvSATStatusLan::lanNAO_CONECTADO;
}
TOrvSATNivelBateria TOrvSATStatus::StrToNivelBateria(bool& ok, std::string_view s) {
    return deTextoEnum<TOrvSATNivelBateria>(ok, s, kTextosBateria);
}
TOrvSATEstadoOperacao TOrvSATStatus::StrToEstadoOperacao(bool& ok, std::string_view s) {
    return deTextoEnum<TOrvSATEstadoOperacao>(ok, s, kTextosEstado);
}

TDateTime lerDataHoraStatus(std::string_view campo) {
    std::string s = trim(campo);
    int ano = parteNumerica(s, 0, 4), mes = parteNumerica(s, 4, 2), dia = parteNumerica(s, 6, 2);
    if (ano <= 0 || mes <= 0 || dia <= 0 || !dataValida(ano, mes, dia))
        return 0;
    int hora = parteNumerica(s, 8, 2), minuto = parteNumerica(s, 10, 2),
        segundo = parteNumerica(s, 12, 2);
    hora = hora < 0 ? 0 : hora;
    minuto = minuto < 0 ? 0 : minuto;
    segundo = segundo < 0 ? 0 : segundo;
    if (hora > 23 || minuto > 59 || segundo > 59)
        return 0;
    return codificarDataHora(ano, mes, dia, hora, minuto, segundo);
}

void lerStatusOperacional(const TOrvSATResposta& r, TOrvSATStatus& status, TRede& rede) {
    std::string tipo = maiusculas(r.campo(6));
    rede.tipoLan = tipo == "PPPOE" ? TTipoLan::lanPPPoE
                 : tipo == "IPFIX" ? TTipoLan::lanIPFIX
                                   : TTipoLan::lanDHCP;
    rede.lanIP = r.campo(7);
    rede.lanMask = r.campo(9);
    rede.lanGW = r.campo(10);
    rede.lanDNS1 = r.campo(11);
    rede.lanDNS2 = r.campo(12);

    status.Clear();
    bool ok = false;
    status.NSERIE = r.campo(5);
    status.LAN_MAC = r.campo(8);
    status.STATUS_LAN = TOrvSATStatus::StrToStatusLan(ok, r.campo(13));
    status.NIVEL_BATERIA = TOrvSATStatus::StrToNivelBateria(ok, r.campo(14));
    status.MT_TOTAL = r.campo(15);
    status.MT_USADA = r.campo(16);
    status.DH_ATUAL = lerDataHoraStatus(r.campo(17));
    status.VER_SB = r.campo(18);
    status.VER_LAYOUT = r.campo(19);
    status.ULTIMO_CFe = r.campo(20);
    status.LISTA_INICIAL = r.campo(21);
    std::size_t n = 22;
    if (r.RetornoLst().size() >= 28) {
        status.LISTA_FINAL = r.campo(22);
        n = 23;
    }
    status.DH_CFe = lerDataHoraStatus(r.campo(n));
    status.DH_ULTIMA = lerDataHoraStatus(r.campo(n + 1));
    status.CERT_EMISSAO = lerDataHoraStatus(r.campo(n + 2));
    status.CERT_VENCIMENTO = lerDataHoraStatus(r.campo(n + 3));
    const std::string& estado = r.campo(n + 4);
    if (soDigitos(estado))
        status.ESTADO_OPERACAO = static_cast<TOrvSATEstadoOperacao>(lerInteiro(estado));
    else
        status.ESTADO_OPERACAO = TOrvSATStatus::StrToEstadoOperacao(ok, estado);
}

std::string decodificarBase64(std::string_view texto) {
    std::string saida;
    saida.reserve(texto.size() * 3 / 4);
    unsigned acumulado = 0;
    int bits = 0;
    for (char c : texto) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else
            continue;
        acumulado = (acumulado << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            saida += static_cast<char>((acumulado >> bits) & 0xFF);
        }
    }
    return saida;
}

} // namespace orv
