#include "sat/OrvSATClass.h"

#include "sat/OrvSAT.h"
#include "support/Biblioteca.h"
#include "support/Texto.h"

#include <filesystem>

namespace orv {

namespace {

bool temPasta(const std::string& nome) {
    return nome.find('/') != std::string::npos ||
           nome.find(static_cast<char>(std::filesystem::path::preferred_separator)) !=
               std::string::npos;
}

} // namespace

TOrvSATClass::TOrvSATClass(TOrvSAT* AOwner) : fpOwner(AOwner), fpModeloStr("Não Definido") {
    if (!AOwner)
        throw EOrvSATErro("Essa Classe deve ser instanciada por TOrvSAT");
}

TOrvSATClass::~TOrvSATClass() { LiberarBiblioteca(); }

void TOrvSATClass::LoadDLLFunctions() { ErroNaoImplementado("LoadDLLFunctions"); }

void TOrvSATClass::ReleaseDLLFunctions() { LiberarBiblioteca(); }

void TOrvSATClass::LiberarBiblioteca() {
    std::string nome = NomeDLL();
    if (nome.empty())
        return;
    if (HBiblioteca h = bibliotecaCarregada(nome))
        liberarBiblioteca(h);
}

void TOrvSATClass::ResolveDLLFunction(const std::string& nomeFuncao, void*& endereco) {
    if (endereco)
        return;
    std::string nome = NomeDLL();
    // Without a folder the loader's own search applies, so there is nothing to check.
    if (temPasta(nome) && !std::filesystem::exists(std::filesystem::path(nome)))
        throw EOrvSATErro("Arquivo não encontrado: " + nome);
    void* p = nullptr;
    if (HBiblioteca h = carregarBiblioteca(nome))
        p = enderecoFuncao(h, nomeFuncao);
    endereco = p;
    if (!p)
        ErroCarregarFuncao(nomeFuncao);
}

void TOrvSATClass::Inicializar() { LoadDLLFunctions(); }

void TOrvSATClass::DesInicializar() { ReleaseDLLFunctions(); }

void TOrvSATClass::ErroNaoImplementado(const std::string& metodo) const {
    throw EOrvSATErro("Procedure: " + metodo + " \r\n não implementada para o SAT: " + ModeloStr() +
                      "\r\n\r\nAjude no desenvolvimento do OrvSAT. \r\n"
                      "Fórum de suporte: https://suporte.orvane.com.br/forum");
}

void TOrvSATClass::ErroCarregarFuncao(const std::string& nomeFuncao) const {
    throw EOrvSATErro("Erro ao carregar a função: " + nomeFuncao + " na Biblioteca: " + NomeDLL());
}

std::string TOrvSATClass::NomeDLL() const { return fpOwner->NomeDLL(); }
int TOrvSATClass::numeroSessao() const { return fpOwner->numeroSessao(); }
std::string TOrvSATClass::codigoDeAtivacao() const { return fpOwner->codigoDeAtivacao(); }

std::string TOrvSATClass::AssociarAssinatura(const std::string&, const std::string&) {
    ErroNaoImplementado("AssociarAssinatura");
}
std::string TOrvSATClass::AtivarSAT(int, const std::string&, int) { ErroNaoImplementado("AtivarSAT"); }
std::string TOrvSATClass::AtualizarSoftwareSAT() { ErroNaoImplementado("AtualizarSoftwareSAT"); }
std::string TOrvSATClass::BloquearSAT() { ErroNaoImplementado("BloquearSAT"); }
std::string TOrvSATClass::CancelarUltimaVenda(const std::string&, const std::string&) {
    ErroNaoImplementado("CancelarUltimaVenda");
}
std::string TOrvSATClass::ComunicarCertificadoICPBRASIL(const std::string&) {
    ErroNaoImplementado("ComunicarCertificadoICPBRASIL");
}
std::string TOrvSATClass::ConfigurarInterfaceDeRede(const std::string&) {
    ErroNaoImplementado("ConfigurarInterfaceDeRede");
}
std::string TOrvSATClass::ConsultarNumeroSessao(int) { ErroNaoImplementado("ConsultarNumeroSessao"); }
std::string TOrvSATClass::ConsultarSAT() { ErroNaoImplementado("ConsultarSAT"); }
std::string TOrvSATClass::ConsultarStatusOperacional() {
    ErroNaoImplementado("ConsultarStatusOperacional");
}
std::string TOrvSATClass::DesbloquearSAT() { ErroNaoImplementado("DesbloquearSAT"); }
std::string TOrvSATClass::EnviarDadosVenda(const std::string&) { ErroNaoImplementado("EnviarDadosVenda"); }
std::string TOrvSATClass::ExtrairLogs() { ErroNaoImplementado("ExtrairLogs"); }
std::string TOrvSATClass::TesteFimAFim(const std::string&) { ErroNaoImplementado("TesteFimAFim"); }
std::string TOrvSATClass::TrocarCodigoDeAtivacao(const std::string&, int, const std::string&) {
    ErroNaoImplementado("TrocarCodigoDeAtivacao");
}
std::string TOrvSATClass::ConsultarUltimaSessaoFiscal() {
    ErroNaoImplementado("ConsultarUltimaSessaoFiscal");
}

std::string traduzRespostaComando(const std::string& bytes, std::uint16_t paginaDeCodigo) {
    if (paginaDeCodigo == 0)
        return ansiParaUtf8(bytes);
    // Through the ANSI code page, as the component keeps its answer text in it.
    return ansiParaUtf8(utf8ParaAnsi(paginaParaUtf8(bytes, paginaDeCodigo)));
}

} // namespace orv
