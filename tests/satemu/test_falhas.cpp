// Misbehaviour on request, read from satemu.ini at every call.

#include "Emulador.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace {

double segundos(const std::function<void()>& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string lerArquivo(const std::string& caminho)
{
    std::ifstream in(caminho);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST_F(EmuladorTest, AtrasoETravamentoSoAtrasamAResposta)
{
    falha("atraso_ms", "300");
    std::vector<std::string> r;
    EXPECT_GE(segundos([&] { r = campos(sat().ConsultarSAT(sessao())); }), 0.3);
    EXPECT_EQ(r[1], "08000");
    limparFalhas();
    falha("travar_segundos", "1");
    EXPECT_GE(segundos([&] { r = vender(); }), 1.0);
    EXPECT_EQ(r[1], "06000");
}

TEST_F(EmuladorTest, OcupadoRecusaTodoComandoSemEmitir)
{
    falha("ocupado", "1");
    auto v = vender();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[1], "06098");
    EXPECT_EQ(status()[1], "10098");
    EXPECT_EQ(campos(sat().ConsultarSAT(sessao()))[1], "08098");
    limparFalhas();
    EXPECT_EQ(vender()[8].substr(34, 6), "000001");
}

TEST_F(EmuladorTest, RejeicaoForcadaValeParaAsProximasNVendas)
{
    falha("rejeitar_codigo", "1408");
    falha("rejeitar_vendas", "2");
    for (int i = 0; i < 2; ++i) {
        auto v = vender();
        ASSERT_EQ(v.size(), 6u);
        EXPECT_EQ(v[1], "06010");
        EXPECT_EQ(v[2], "1408");
    }
    auto v = vender();
    EXPECT_EQ(v[1], "06000");
    EXPECT_EQ(v[8].substr(34, 6), "000001");
    EXPECT_NE(lerArquivo(ini).find("rejeitar_vendas=0"), std::string::npos);
}

TEST_F(EmuladorTest, RespostaCorrompidaDepoisDeAutorizar)
{
    struct Caso {
        const char* falha;
        std::function<void(const std::vector<std::string>&, int sessao)> confere;
    };
    const std::vector<Caso> casos = {
        {"sessao_errada",
         [](const std::vector<std::string>& r, int s) {
             ASSERT_EQ(r.size(), 12u);
             EXPECT_EQ(r[0], std::to_string(s + 1));
             EXPECT_EQ(r[1], "06000");
         }},
        {"resposta_cortada", [](const std::vector<std::string>& r, int) { EXPECT_LT(r.size(), 4u); }},
        {"lixo",
         [](const std::vector<std::string>& r, int s) {
             EXPECT_EQ(r.size(), 1u);
             EXPECT_NE(r[0], std::to_string(s));
         }},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.falha);
        dispositivoNovo();
        falha(caso.falha, "1");
        const int s = sessao();
        const std::string xml = DadosVenda{}.xml();
        caso.confere(campos(sat().EnviarDadosVenda(s, kCodigo, xml.c_str())), s);
        limparFalhas();
        // The device did authorise: the application recovers the answer by session.
        auto guardada = campos(sat().ConsultarNumeroSessao(sessao(), kCodigo, s));
        ASSERT_EQ(guardada.size(), 12u);
        EXPECT_EQ(guardada[0], std::to_string(s));
        EXPECT_EQ(status()[ULTIMO_CF_E_SAT], guardada[8].substr(3));
    }
}

TEST_F(EmuladorTest, MorrerDepoisDeAutorizarGuardaOCupomSemResponder)
{
    falha("morrer_apos_autorizar", "1");
    const std::string marca = pasta + "/respondeu";
    pid_t filho = fork();
    ASSERT_GE(filho, 0);
    if (filho == 0) {
        BibliotecaSat sat;
        std::string xml = DadosVenda{}.xml();
        std::ofstream(marca) << sat.EnviarDadosVenda(55, kCodigo, xml.c_str());
        _exit(0);
    }
    int st = 0;
    ASSERT_EQ(waitpid(filho, &st, 0), filho);
    ASSERT_TRUE(WIFSIGNALED(st));
    EXPECT_EQ(WTERMSIG(st), SIGKILL);
    EXPECT_TRUE(lerArquivo(marca).empty()) << "no answer left the device";

    auto guardada = campos(sat().ConsultarNumeroSessao(sessao(), kCodigo, 55));
    ASSERT_EQ(guardada.size(), 12u);
    EXPECT_EQ(guardada[1], "06000");
    EXPECT_EQ(status()[ULTIMO_CF_E_SAT], guardada[8].substr(3));
    EXPECT_EQ(campos(sat().ConsultarUltimaSessaoFiscal(sessao(), kCodigo))[8], guardada[8]);
    // The power cut happens once: the next sale is answered.
    EXPECT_EQ(vender()[8].substr(34, 6), "000002");
}

TEST_F(EmuladorTest, ComandoDuranteOutroRespondeOcupado)
{
    falha("atraso_ms", "600");
    std::vector<std::string> venda;
    const int s = sessao();
    const std::string xml = DadosVenda{}.xml();
    BibliotecaSat& biblioteca = sat();
    std::thread t([&] { venda = campos(biblioteca.EnviarDadosVenda(s, kCodigo, xml.c_str())); });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    auto st = campos(sat().ConsultarStatusOperacional(sessao(), kCodigo));
    t.join();
    EXPECT_EQ(st[1], "10098");
    EXPECT_EQ(venda[1], "06000");
}

TEST_F(EmuladorTest, RespostaEmWindows1252QuandoConfigurado)
{
    EXPECT_EQ(std::string(sat().ConsultarSAT(sessao())).substr(4), "08000|SAT em operação||");
    configurar("codigo_pagina", "WINDOWS-1252");
    EXPECT_EQ(std::string(sat().ConsultarSAT(sessao())).substr(4), "08000|SAT em opera\xe7\xe3o||");
}
