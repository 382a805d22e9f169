#pragma once
// The device's answers: every command answers one line of fields separated by "|". The parsed
// answer of the last command (TOrvSATResposta), the device status that the status command
// fills (TOrvSATStatus), and the lenient Base64 decoder for the documents the answers carry.

#include "support/DataHora.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TRede;

class TOrvSATResposta {
public:
    TOrvSATResposta() { Clear(); }

    void Clear();
    // Keeps the whole answer and parses it. A short or malformed answer never fails: missing
    // numbers read as 0 and the message falls back to the whole answer.
    void setRetornoStr(const std::string& resposta);
    const std::string& RetornoStr() const { return fRetornoStr; }

    int codigoDeErro() const { return fCodigoDeErro; }
    int numeroSessao() const { return fNumeroSessao; }
    int codigoDeRetorno() const { return fCodigoDeRetorno; }
    const std::string& mensagemRetorno() const { return fMensagemRetorno; }
    int codigoSEFAZ() const { return fCodigoSEFAZ; }
    const std::string& mensagemSEFAZ() const { return fMensagemSEFAZ; }
    // Every field, in order, untrimmed; empty fields kept, a trailing one after a final "|" too.
    const std::vector<std::string>& RetornoLst() const { return fRetornoLst; }
    // One field; throws std::out_of_range ("Índice de lista fora dos limites (i)") beyond the end.
    const std::string& campo(std::size_t indice) const;

private:
    int fCodigoDeErro = 0;
    int fNumeroSessao = 0;
    int fCodigoDeRetorno = 0;
    std::string fMensagemRetorno;
    int fCodigoSEFAZ = 0;
    std::string fMensagemSEFAZ;
    std::vector<std::string> fRetornoLst;
    std::string fRetornoStr;
};

enum class TOrvSATStatusLan { lanCONECTADO, lanNAO_CONECTADO };
enum class TOrvSATNivelBateria { batALTO, batMEDIO, batBAIXO };
enum class TOrvSATEstadoOperacao {
    opDESBLOQUEADO,
    opBLOQUEIO_SEFAZ,
    opBLOQUEIO_CONTRIBUINTE,
    opBLOQUEIO_AUTONOMO,
    opBLOQUEIO_DESATIVACAO
};

struct TOrvSATStatus {
    TDateTime CERT_EMISSAO = 0;
    TDateTime CERT_VENCIMENTO = 0;
    TDateTime DH_ATUAL = 0;
    TDateTime DH_CFe = 0;
    TDateTime DH_ULTIMA = 0;
    TOrvSATEstadoOperacao ESTADO_OPERACAO = TOrvSATEstadoOperacao::opDESBLOQUEADO;
    std::string LAN_MAC;
    std::string LISTA_FINAL;
    std::string LISTA_INICIAL;
    std::string MT_TOTAL;
    std::string MT_USADA;
    TOrvSATNivelBateria NIVEL_BATERIA = TOrvSATNivelBateria::batALTO;
    std::string NSERIE;
    TOrvSATStatusLan STATUS_LAN = TOrvSATStatusLan::lanCONECTADO;
    std::string ULTIMO_CFe;
    std::string VER_LAYOUT;
    std::string VER_SB;

    void Clear() { *this = TOrvSATStatus{}; }

    // Value to text; a value outside the table gives empty text.
    static std::string StatusLanToStr(TOrvSATStatusLan v);
    static std::string NivelBateriaToStr(TOrvSATNivelBateria v);
    static std::string EstadoOperacaoToStr(TOrvSATEstadoOperacao v);
    // Text to value, ignoring case. The last two set `ok` to whether the text matched (the first
    // value when not); StrToStatusLan leaves `ok` alone: only "CONECTADO" is connected.
    static TOrvSATStatusLan StrToStatusLan(bool& ok, std::string_view s);
    static TOrvSATNivelBateria StrToNivelBateria(bool& ok, std::string_view s);
    static TOrvSATEstadoOperacao StrToEstadoOperacao(bool& ok, std::string_view s);
};

// The status answer (code 10000) into the status and the device's network settings. Fields
// from 22 on shift by one when the answer has 28 or more fields (the end of the stored list
// comes first). Throws std::out_of_range when the answer has fewer than 27 fields.
void lerStatusOperacional(const TOrvSATResposta& resposta, TOrvSATStatus& status, TRede& rede);

// A status date-time of 14 digits (YYYYMMDDHHNNSS, trimmed). A missing or non-numeric time
// part counts as 0; anything that is not a valid date gives 0.
TDateTime lerDataHoraStatus(std::string_view campo);

// Base64 to bytes, leniently: every character outside the alphabet (padding, line breaks,
// blanks) is skipped, and a final incomplete group yields the whole bytes it holds.
std::string decodificarBase64(std::string_view texto);

// Decimal integer as the answers carry it: optional leading blanks and sign, leading zeros
// allowed; anything else, or a value out of range, gives 0.
int lerInteiro(std::string_view s);

} // namespace orv
