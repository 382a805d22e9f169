// The binding against stand-in libraries: which exports are required, how arguments arrive and
// how answers are decoded.

#include "sat/OrvSAT.h"

#include "Falso.h"
#include "Mensagem.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

void preparar(TOrvSAT& sat, const std::string& biblioteca) {
    sat.setModelo(TOrvSATModelo::satDinamico_cdecl);
    sat.setNomeDLL(biblioteca);
}

} // namespace

TEST(Binding, ExportObrigatorioAusenteFalhaAInicializacaoNomeandoOEABiblioteca) {
    TOrvSAT sat;
    preparar(sat, SATFALSO_SEM_EXTRAIR);
    EXPECT_EQ(mensagemDe([&] { sat.Inicializar(); }),
              std::string("Erro ao carregar a função: ExtrairLogs na Biblioteca: ") + SATFALSO_SEM_EXTRAIR);
    EXPECT_FALSE(sat.Inicializado());
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }), "OrvSAT não foi inicializado corretamente");
}

TEST(Binding, SemConsultarUltimaSessaoFiscalInicializaEOComandoFalhaSemChamar) {
    Falso falso(SATFALSO_SEM_ULTIMA);
    TOrvSAT sat;
    preparar(sat, SATFALSO_SEM_ULTIMA);
    sat.Inicializar();
    EXPECT_TRUE(sat.Inicializado());
    sat.ConsultarSAT();
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarUltimaSessaoFiscal(); }),
              std::string("Erro ao carregar a função: ConsultarUltimaSessaoFiscal na Biblioteca: ") +
                  SATFALSO_SEM_ULTIMA);
    EXPECT_EQ(falso.ultimaChamada().rfind("ConsultarSAT|", 0), 0u);
    EXPECT_FALSE(sat.AguardandoResposta());
    // The component is still usable afterwards.
    std::string resposta = sat.ConsultarSAT();
    EXPECT_EQ(resposta, std::to_string(sat.numeroSessao()) + "|08000|0000|Operacao realizada|0||");
}

TEST(Binding, NomeDaBibliotecaAusenteOuVazio) {
    TOrvSAT sat;
    sat.setModelo(TOrvSATModelo::satDinamico_stdcall);
    // Never set: still empty, so the very first export fails.
    sat.setNomeDLL("");
    EXPECT_EQ(sat.NomeDLL(), "");
    EXPECT_EQ(mensagemDe([&] { sat.Inicializar(); }),
              "Erro ao carregar a função: AssociarAssinatura na Biblioteca: ");

    sat.setNomeDLL("  /nao/existe/libsat.so ");
    EXPECT_EQ(mensagemDe([&] { sat.Inicializar(); }), "Arquivo não encontrado: /nao/existe/libsat.so");
    // Without a folder the loader searches; the failure names the export.
    sat.setNomeDLL("libquenaoexiste.so");
    EXPECT_EQ(mensagemDe([&] { sat.Inicializar(); }),
              "Erro ao carregar a função: AssociarAssinatura na Biblioteca: libquenaoexiste.so");
    EXPECT_FALSE(sat.Inicializado());

    sat.setNomeDLL("");
    EXPECT_EQ(sat.NomeDLL(), "SAT.DLL");
    sat.setNomeDLL("/opt/sat/");
    EXPECT_EQ(sat.NomeDLL(), "/opt/sat/SAT.DLL");
    sat.setNomeDLL("/opt/sat");
    EXPECT_EQ(sat.NomeDLL(), "/opt/sat");
}

TEST(Binding, ModeloNenhumEOsModelosDinamicos) {
    TOrvSAT sat;
    EXPECT_EQ(sat.ModeloStr(), "Não Definido");
    EXPECT_EQ(mensagemDe([&] { sat.Inicializar(); }), "Modelo de SAT não definido");
    EXPECT_EQ(mensagemDe([&] { sat.SATClass().EnviarDadosVenda("x"); }),
              "Procedure: EnviarDadosVenda \r\n não implementada para o SAT: Não Definido\r\n\r\n"
              "Ajude no desenvolvimento do OrvSAT. \r\nFórum de suporte: https://suporte.orvane.com.br/forum");
    EXPECT_NE(mensagemDe([&] { sat.SATClass().LoadDLLFunctions(); }).find("Procedure: LoadDLLFunctions "),
              std::string::npos);
    EXPECT_EQ(mensagemDe([&] { TOrvSATClass semDono(nullptr); }),
              "Essa Classe deve ser instanciada por TOrvSAT");

    sat.setModelo(TOrvSATModelo::satDinamico_stdcall);
    EXPECT_EQ(sat.ModeloStr(), "Emulador_SAT_Dinamico");
    sat.setModelo(TOrvSATModelo::satDinamico_cdecl);
    EXPECT_EQ(sat.ModeloStr(), "Emulador_SAT_Dinamico_cdecl");
    EXPECT_EQ(mensagemDe([&] { sat.setModelo(TOrvSATModelo::mfe_Integrador_XML); }),
              "Componente OrvIntegrador não atribuido a OrvSAT");

    sat.setNomeDLL(SATFALSO_GRAVA);
    sat.Inicializar();
    EXPECT_EQ(mensagemDe([&] { sat.setModelo(TOrvSATModelo::satNenhum); }),
              "Não é possível mudar o Modelo com o SAT Inicializado");
    sat.DesInicializar();
    sat.setModelo(TOrvSATModelo::satNenhum);
    EXPECT_EQ(sat.ModeloStr(), "Não Definido");
}

// Empty strings arrive as empty strings, never as null pointers; the session number and the
// activation code come first.
TEST(Binding, ArgumentosChegamNaOrdemEVaziosNuncaNulos) {
    Falso falso(SATFALSO_GRAVA);
    TOrvSAT sat;
    preparar(sat, SATFALSO_GRAVA);
    std::string codigo;  // no activation code yet
    sat.OnGetcodigoDeAtivacao = [&](std::string& c) { c = codigo; };
    sat.Inicializar();
    auto s = [&] { return std::to_string(sat.numeroSessao()); };

    sat.AssociarAssinatura("12.345.678/0001-90", "");
    EXPECT_EQ(falso.ultimaChamada(), "AssociarAssinatura|" + s() + "||12345678000190|");

    codigo = "12345678";
    sat.AtivarSAT(1, "11.111.111/1111-11", 35);
    EXPECT_EQ(falso.ultimaChamada(), "AtivarSAT|" + s() + "|1|12345678|11111111111111|35");
    sat.ConsultarSAT();
    EXPECT_EQ(falso.ultimaChamada(), "ConsultarSAT|" + s());
    sat.ComunicarCertificadoICPBRASIL("");
    EXPECT_EQ(falso.ultimaChamada(), "ComunicarCertificadoICPBRASIL|" + s() + "|12345678|");
    sat.ConsultarNumeroSessao(4321);
    EXPECT_EQ(falso.ultimaChamada(), "ConsultarNumeroSessao|" + s() + "|12345678|4321");
    // An empty code means the owner's; the new one goes twice.
    sat.TrocarCodigoDeAtivacao("", 1, "99998888");
    EXPECT_EQ(falso.ultimaChamada(), "TrocarCodigoDeAtivacao|" + s() + "|12345678|1|99998888|99998888");
    sat.TrocarCodigoDeAtivacao("87654321", 2, "");
    EXPECT_EQ(falso.ultimaChamada(), "TrocarCodigoDeAtivacao|" + s() + "|87654321|2||");
    sat.CancelarUltimaVenda("CFe123", "<CFeCanc/>");
    EXPECT_EQ(falso.ultimaChamada(),
              "CancelarUltimaVenda|" + s() +
                  "|12345678|CFe123|<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc/>");
    sat.ConsultarUltimaSessaoFiscal();
    EXPECT_EQ(falso.ultimaChamada(), "ConsultarUltimaSessaoFiscal|" + s() + "|12345678");
}

struct CasoPagina {
    const char* nome;
    const char* biblioteca;
    std::uint16_t pagina;
    const char* mensagem;
};

class PaginaDeCodigo : public ::testing::TestWithParam<CasoPagina> {};

TEST_P(PaginaDeCodigo, RespostaDecodificadaPelaPagina) {
    const CasoPagina& c = GetParam();
    TOrvSAT sat;
    preparar(sat, c.biblioteca);
    sat.Config().PaginaDeCodigo = c.pagina;
    sat.Inicializar();
    sat.ConsultarSAT();
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 8000);
    EXPECT_EQ(sat.Resposta().mensagemRetorno(), c.mensagem);
}

INSTANTIATE_TEST_SUITE_P(
    Binding, PaginaDeCodigo,
    ::testing::Values(
        CasoPagina{"utf8_lida_como_utf8", SATFALSO_UTF8, 65001, "Operação"},
        // Read through the ANSI page, each accented letter becomes two characters.
        CasoPagina{"utf8_lida_como_ansi", SATFALSO_UTF8, 0, "OperaÃ§Ã£o"},
        CasoPagina{"win1252_lida_como_ansi", SATFALSO_WIN1252, 0, "Operação"},
        CasoPagina{"win1252_lida_como_1252", SATFALSO_WIN1252, 1252, "Operação"},
        // Invalid UTF-8 bytes do not survive as text.
        CasoPagina{"win1252_lida_como_utf8", SATFALSO_WIN1252, 65001, "Opera??o"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Binding, TraduzRespostaPassaPelaPaginaAnsi) {
    // "ã" is in the ANSI page; the Greek letter is not and comes out as a substitute.
    EXPECT_EQ(traduzRespostaComando("\xc3\xa3\xce\xb1", 65001), "ã?");
    EXPECT_EQ(traduzRespostaComando("\xe3", 0), "ã");
    EXPECT_EQ(traduzRespostaComando("", 65001), "");
}
