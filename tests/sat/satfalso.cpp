// A tiny stand-in for the maker's library, built in several variants by the tests: without
// ExtrairLogs, without ConsultarUltimaSessaoFiscal, answering in UTF-8 or in Windows-1252.
// Every variant records its last call and can be told the next answers:
//   FalsoUltimaChamada()        "Command|arg|arg..." of the last call, "<NULL>" for a null pointer
//   FalsoDefinirResposta(text)  the answer of every next call; "{s}" becomes the session number;
//                               "{nulo}" answers a null pointer; null or empty restores the
//                               default answer

#include <string>

#define EXPORTA extern "C" __attribute__((visibility("default")))

#ifndef FALSO_MENSAGEM
#define FALSO_MENSAGEM "Operacao realizada"
#endif

namespace {

std::string gChamada;
std::string gModelo;
std::string gBuffer;

void anotar(const char* nome) { gChamada = nome; }
void arg(const char* s) { gChamada += std::string("|") + (s ? s : "<NULL>"); }
void arg(int v) { gChamada += "|" + std::to_string(v); }

const char* responder(int sessao, const char* codigo) {
    std::string s = std::to_string(sessao);
    if (gModelo == "{nulo}")
        return nullptr;
    if (gModelo.empty()) {
        gBuffer = s + "|" + codigo + "|0000|" FALSO_MENSAGEM "|0||";
    } else {
        gBuffer.clear();
        for (std::size_t i = 0; i < gModelo.size(); ++i) {
            if (gModelo.compare(i, 3, "{s}") == 0) {
                gBuffer += s;
                i += 2;
            } else {
                gBuffer += gModelo[i];
            }
        }
    }
    return gBuffer.c_str();
}

} // namespace

EXPORTA const char* FalsoUltimaChamada() { return gChamada.c_str(); }
EXPORTA void FalsoDefinirResposta(const char* modelo) { gModelo = modelo ? modelo : ""; }

EXPORTA const char* AssociarAssinatura(int s, const char* cod, const char* cnpj, const char* ass) {
    anotar("AssociarAssinatura"); arg(s); arg(cod); arg(cnpj); arg(ass);
    return responder(s, "13000");
}
EXPORTA const char* AtivarSAT(int s, int sub, const char* cod, const char* cnpj, int uf) {
    anotar("AtivarSAT"); arg(s); arg(sub); arg(cod); arg(cnpj); arg(uf);
    return responder(s, "04000");
}
EXPORTA const char* AtualizarSoftwareSAT(int s, const char* cod) {
    anotar("AtualizarSoftwareSAT"); arg(s); arg(cod);
    return responder(s, "14000");
}
EXPORTA const char* BloquearSAT(int s, const char* cod) {
    anotar("BloquearSAT"); arg(s); arg(cod);
    return responder(s, "16000");
}
EXPORTA const char* CancelarUltimaVenda(int s, const char* cod, const char* chave, const char* dados) {
    anotar("CancelarUltimaVenda"); arg(s); arg(cod); arg(chave); arg(dados);
    return responder(s, "07001");
}
EXPORTA const char* ComunicarCertificadoICPBRASIL(int s, const char* cod, const char* cert) {
    anotar("ComunicarCertificadoICPBRASIL"); arg(s); arg(cod); arg(cert);
    return responder(s, "05000");
}
EXPORTA const char* ConfigurarInterfaceDeRede(int s, const char* cod, const char* dados) {
    anotar("ConfigurarInterfaceDeRede"); arg(s); arg(cod); arg(dados);
    return responder(s, "12000");
}
EXPORTA const char* ConsultarNumeroSessao(int s, const char* cod, int consultada) {
    anotar("ConsultarNumeroSessao"); arg(s); arg(cod); arg(consultada);
    return responder(s, "11003");
}
EXPORTA const char* ConsultarSAT(int s) {
    anotar("ConsultarSAT"); arg(s);
    return responder(s, "08000");
}
EXPORTA const char* ConsultarStatusOperacional(int s, const char* cod) {
    anotar("ConsultarStatusOperacional"); arg(s); arg(cod);
    return responder(s, "10001");
}
EXPORTA const char* DesbloquearSAT(int s, const char* cod) {
    anotar("DesbloquearSAT"); arg(s); arg(cod);
    return responder(s, "17000");
}
EXPORTA const char* EnviarDadosVenda(int s, const char* cod, const char* dados) {
    anotar("EnviarDadosVenda"); arg(s); arg(cod); arg(dados);
    return responder(s, "06001");
}
#ifndef FALSO_SEM_EXTRAIR
EXPORTA const char* ExtrairLogs(int s, const char* cod) {
    anotar("ExtrairLogs"); arg(s); arg(cod);
    return responder(s, "15000");
}
#endif
EXPORTA const char* TesteFimAFim(int s, const char* cod, const char* dados) {
    anotar("TesteFimAFim"); arg(s); arg(cod); arg(dados);
    return responder(s, "09000");
}
EXPORTA const char* TrocarCodigoDeAtivacao(int s, const char* cod, int opcao, const char* novo,
                                           const char* confirmacao) {
    anotar("TrocarCodigoDeAtivacao"); arg(s); arg(cod); arg(opcao); arg(novo); arg(confirmacao);
    return responder(s, "18000");
}
#ifndef FALSO_SEM_ULTIMA
EXPORTA const char* ConsultarUltimaSessaoFiscal(int s, const char* cod) {
    anotar("ConsultarUltimaSessaoFiscal"); arg(s); arg(cod);
    return responder(s, "19000");
}
#endif
