#pragma once
// The device's keys and certificates, and its two signatures: the RSA-SHA256 signature of the
// QR-code text and the enveloped XML signature of each issued document.

#include <string>

#include <libxml/tree.h>

namespace satemu {

struct Credenciais {
    std::string chaveAcPem;      // the test authority's key
    std::string certificadoAcPem;
    std::string chavePem;        // the device's key
    std::string certificadoPem;  // issued by the authority, subject carrying the serial number
    std::string emissao;         // AAAAMMDDHHMMSS, device clock
    std::string vencimento;
};

// Makes a test authority and the device's key and certificate (RSA 2048, five years).
Credenciais gerarCredenciais(const std::string& numeroSerie, const std::string& cnpj);

// RSA-SHA256 with the device's key, in Base64 on one line.
std::string assinarTexto(const std::string& chavePem, const std::string& texto);
bool verificarTexto(const std::string& certificadoPem, const std::string& texto, const std::string& assinaturaB64);

// Adds an enveloped signature to the document: reference to "#" + id of the element `alvo`,
// whose attribute Id is registered as an ID; KeyInfo holds only the certificate.
void assinarXml(xmlDocPtr doc, xmlNodePtr alvo, const std::string& chavePem, const std::string& certificadoPem);

}  // namespace satemu
