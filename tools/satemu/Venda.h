#pragma once
// Authorising sales and cancellations: checks the entry document, computes what the device
// computes (item values, apportionment, taxes, totals, change), numbers, keys and signs.

#include "Configuracao.h"
#include "Estado.h"

#include <ctime>
#include <stdexcept>
#include <string>

namespace satemu {

// A refusal of the document. retorno 0 means the command's validation code (06010, 07007);
// otherwise it is the return code to answer with (for example 6004 for a link mismatch).
struct Rejeicao : std::runtime_error {
    Rejeicao(int codigo, const std::string& mensagem, int retorno = 0)
        : std::runtime_error(mensagem), codigo(codigo), retorno(retorno) {}
    int codigo;
    int retorno;
};

// The rejection text of a CCCC code, "(N)" filled with the item number when given.
std::string textoRejeicao(int codigo, int item = 0);

struct Emissao {
    std::string xml;        // the signed document, UTF-8
    std::string chave;      // 44 digits
    std::string carimbo;    // AAAAMMDDHHMMSS
    std::string vCFe;
    std::string dest;
    std::string qrcode;
    long ncfe = 0;
};

Emissao autorizarVenda(const std::string& dados, const Configuracao& cfg, const Dispositivo& d, long ncfe,
                       std::time_t momento);

// `ultimo` is the last document the device issued (sale or cancellation), `alvo` the stored
// document with the key the application asked to cancel (if any).
Emissao autorizarCancelamento(const std::string& chave, const std::string& dados, const Configuracao& cfg,
                              const Dispositivo& d, const std::optional<Documento>& ultimo,
                              const std::optional<Documento>& alvo, long ncfe, std::time_t momento);

// Validates the entry document against the schema folder's XSD, if one is configured.
// Returns the first problem, or empty when valid (or not configured).
std::string validarEsquema(const std::string& pastaEsquemas, const std::string& arquivo, const std::string& xml);

}  // namespace satemu
