// The component's session frame, log and request files, on a stand-in library that records its
// calls and answers what the test tells it.

#include "sat/OrvSAT.h"

#include "support/Texto.h"

#include "Falso.h"
#include "Mensagem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace orv;
namespace fs = std::filesystem;

namespace {

std::string lerArquivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string base64(const std::string& bytes) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string r;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i + 2];
        for (int k = 18; k >= 0; k -= 6)
            r += abc[(v >> k) & 63];
    }
    if (i < bytes.size()) {
        unsigned v = (unsigned char)bytes[i] << 16;
        if (i + 1 < bytes.size())
            v |= (unsigned char)bytes[i + 1] << 8;
        r += abc[(v >> 18) & 63];
        r += abc[(v >> 12) & 63];
        r += i + 1 < bytes.size() ? abc[(v >> 6) & 63] : '=';
        r += '=';
    }
    return r;
}

class Sessao : public ::testing::Test {
protected:
    Sessao() : falso(SATFALSO_GRAVA) {
        pasta = fs::temp_directory_path() /
                (std::string("orv_sat_sessao_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(pasta);
        fs::create_directories(pasta);
        sat.setModelo(TOrvSATModelo::satDinamico_cdecl);
        sat.setNomeDLL(SATFALSO_GRAVA);
        sat.OnGravarLog = [this](const std::string& linha, bool&) {
            linhas.push_back(linha);
            ocupadoNaLinha.push_back(sat.AguardandoResposta());
            if (aoLogar)
                aoLogar(linha);
        };
    }
    ~Sessao() override { fs::remove_all(pasta); }

    bool logou(const std::string& linha) const {
        return std::find(linhas.begin(), linhas.end(), linha) != linhas.end();
    }

    Falso falso;
    TOrvSAT sat;
    fs::path pasta;
    std::vector<std::string> linhas;
    std::vector<bool> ocupadoNaLinha;
    std::function<void(const std::string&)> aoLogar;
};

} // namespace

TEST_F(Sessao, LinhasDeAberturaEFechamentoForaDaSessao) {
    sat.Inicializar();
    linhas.clear();
    ocupadoNaLinha.clear();
    std::string resposta = sat.ConsultarSAT();
    int s = sat.numeroSessao();
    EXPECT_GE(s, 0);
    EXPECT_LE(s, 999998);
    const std::string esperado = std::to_string(s) + "|08000|0000|Operacao realizada|0||";
    EXPECT_EQ(resposta, esperado);
    EXPECT_EQ(sat.RespostaComando(), esperado);
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0], "NumeroSessao: " + std::to_string(s) + " - Comando: ConsultarSAT");
    EXPECT_EQ(linhas[1], "NumeroSessao: " + std::to_string(s) + " - Resposta:" + esperado);
    EXPECT_FALSE(ocupadoNaLinha[0]);
    EXPECT_FALSE(ocupadoNaLinha[1]);
    EXPECT_FALSE(sat.AguardandoResposta());
}

TEST_F(Sessao, ComandoDentroDoLogDaVendaEhRecusadoComASessaoDaVenda) {
    sat.Inicializar();
    std::string recusa;
    aoLogar = [&](const std::string& linha) {
        if (linha == "  Inicio do Envio")
            recusa = mensagemDe([&] { sat.ConsultarSAT(); });
    };
    sat.EnviarDadosVenda("<CFe/>");
    EXPECT_EQ(recusa, "SAT ocupado!\r\nAguardando resposta da sessão " + std::to_string(sat.numeroSessao()));
    // The sale went on and reached the library.
    EXPECT_EQ(falso.ultimaChamada().rfind("EnviarDadosVenda|", 0), 0u);
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 6001);
    EXPECT_TRUE(logou("  Inicio do Envio"));
    bool temTempo = false;
    for (const auto& l : linhas)
        temTempo = temTempo || (l.rfind("  Tempo de Processamento: ", 0) == 0 && l.size() > 36 &&
                                l.substr(l.size() - 9) == " segundos");
    EXPECT_TRUE(temTempo);
}

TEST_F(Sessao, SessaoDiferenteEhRegistradaEProcessada) {
    sat.OnGetNumeroSessao = [](int& n) { n = 7; };
    sat.Inicializar();
    falso.responder("4242|08000|0000|Resposta de outra sessao|0||");
    sat.ConsultarSAT();
    EXPECT_TRUE(logou("   ERRO: Sessao retornada pelo SAT [4242], diferente da enviada [7]."));
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 8000);
    EXPECT_EQ(sat.Resposta().numeroSessao(), 4242);

    // No answer at all (a null pointer) reads as session 0, which is what an ordinary command
    // checks against: no mismatch line.
    linhas.clear();
    falso.responder("{nulo}");
    sat.ConsultarStatusOperacional();
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[1], "NumeroSessao: 7");
}

TEST_F(Sessao, ValidacaoDaSessaoConsultaRecuperaOuDesiste) {
    int proximo = 100;
    sat.OnGetNumeroSessao = [&](int& n) { n = proximo++; };
    sat.ValidarNumeroSessaoResposta = true;
    sat.Inicializar();
    falso.responder("4242|08000|0000|Outra|0||");

    // The queried session comes back: recovered, and its answer is the command's.
    sat.OnConsultarNumeroSessao = [](const std::string& dados, std::string& r) {
        r = dados + "|08000|0000|Recuperada|0||";
    };
    linhas.clear();
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }), "(sem erro)");
    EXPECT_TRUE(logou("   Consultando Sessao [100], tentativa: 1"));
    EXPECT_TRUE(logou("   Sessao [100] recuperada com sucesso"));
    EXPECT_EQ(sat.Resposta().numeroSessao(), 100);

    // The device does not know the queried session.
    sat.OnConsultarNumeroSessao = [&](const std::string&, std::string& r) {
        r = std::to_string(sat.numeroSessao()) + "|11003|0000|Sessao nao encontrada|0||";
    };
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }), "ERRO: SAT nao respondeu a sessao [102]");
    EXPECT_FALSE(sat.AguardandoResposta());

    // Wrong again on the query: attempts exhausted.
    sat.OnConsultarNumeroSessao = nullptr;
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }),
              "ERRO: Sessao retornada pelo SAT [4242], diferente da enviada [105].");
    EXPECT_FALSE(sat.AguardandoResposta());
    // The next command starts with a fresh count: it queries once more before giving up.
    linhas.clear();
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }),
              "ERRO: Sessao retornada pelo SAT [4242], diferente da enviada [107].");
    EXPECT_TRUE(logou("   Consultando Sessao [106], tentativa: 1"));
}

TEST_F(Sessao, ChamadaQueFalhaFechaASessaoSemResposta) {
    sat.Inicializar();
    sat.ConsultarSAT();
    sat.OnConsultaStatusOperacional = [](std::string&) { throw std::runtime_error("cabo solto"); };
    linhas.clear();
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarStatusOperacional(); }), "cabo solto");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[1], "NumeroSessao: " + std::to_string(sat.numeroSessao()));
    EXPECT_FALSE(sat.AguardandoResposta());
    EXPECT_EQ(sat.Resposta().RetornoStr(), "");
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 0);
    EXPECT_EQ(sat.RespostaComando(), "");
}

TEST_F(Sessao, CancelamentoGravaOPedidoAntesDeVerificarAInicializacao) {
    sat.ConfigArquivos().SalvarEnvio = true;
    sat.ConfigArquivos().setPastaEnvio(pasta.string() + "/LOGs/");
    const std::string chave = "35241008723218000186599000040190000010000019";
    sat.CFe().infCFe.ID = chave;
    sat.CFe2CFeCanc();
    EXPECT_EQ(mensagemDe([&] { sat.CancelarUltimaVenda(sat.CFeCanc().infCFe.chCanc, " <CFeCanc/> "); }),
              "OrvSAT não foi inicializado corretamente");
    fs::path arq = pasta / "LOGs" / ("ADC" + chave + "-env.xml");
    EXPECT_EQ(lerArquivo(arq), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc/>");
    EXPECT_TRUE(logou("  Gravando XML Cancelamento enviado: " + arq.string()));

    EXPECT_EQ(mensagemDe([&] { sat.CancelarUltimaVenda(" ", "x"); }), "Parâmetro: \"chave\" não informado");
    EXPECT_EQ(mensagemDe([&] { sat.CancelarUltimaVenda("CFe1", " "); }),
              "Parâmetro: \"dadosCancelamento\" não informado");
    EXPECT_EQ(mensagemDe([&] { sat.EnviarDadosVenda(" \r\n"); }), "Parâmetro: \"dadosVenda\" não informado");
}

TEST_F(Sessao, PedidoDeVendaGravadoNaSessaoEFalhaDeGravacao) {
    sat.ConfigArquivos().SalvarEnvio = true;
    sat.ConfigArquivos().setPastaEnvio(pasta.string());
    sat.Inicializar();
    sat.EnviarDadosVenda("<CFe>\xe3</CFe>");  // 8-bit text: read as ANSI, sent as UTF-8
    std::string s = std::to_string(sat.numeroSessao());
    s = std::string(6 - s.size(), '0') + s;
    std::vector<fs::path> arquivos;
    for (const auto& e : fs::directory_iterator(pasta))
        arquivos.push_back(e.path());
    ASSERT_EQ(arquivos.size(), 1u);
    std::string nome = arquivos[0].filename().string();
    ASSERT_EQ(nome.size(), 2 + 14 + 1 + 6 + 8u) << nome;
    EXPECT_EQ(nome.substr(0, 2), "AD");
    EXPECT_EQ(nome.substr(16), "-" + s + "-env.xml");
    const std::string enviado = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>ã</CFe>";
    EXPECT_EQ(lerArquivo(arquivos[0]), enviado);
    EXPECT_EQ(falso.ultimaChamada(), "EnviarDadosVenda|" + std::to_string(sat.numeroSessao()) + "||" + enviado);

    // A request that cannot be written fails inside the session, before the library.
    falso.responder("");
    sat.ConsultarSAT();
    std::ofstream(pasta / "arquivo") << "x";
    sat.ConfigArquivos().setPastaEnvio((pasta / "arquivo").string());
    linhas.clear();
    EXPECT_NE(mensagemDe([&] { sat.EnviarDadosVenda("<CFe/>"); }), "(sem erro)");
    EXPECT_EQ(falso.ultimaChamada().rfind("ConsultarSAT|", 0), 0u);
    ASSERT_FALSE(linhas.empty());
    EXPECT_EQ(linhas.back(), "NumeroSessao: " + std::to_string(sat.numeroSessao()));
    EXPECT_FALSE(sat.AguardandoResposta());
}

TEST_F(Sessao, GarantiaDeUtf8) {
    sat.Inicializar();
    struct Caso {
        const char* entrada;
        const char* enviado;
    } casos[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>ç</CFe>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>ç</CFe>"},
        {"<?xml version='1.0' encoding='utf-8'?><CFe/>", "<?xml version='1.0' encoding='utf-8'?><CFe/>"},
        // Another encoding's declaration is replaced, not followed by a second one.
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><CFe>\xe7</CFe>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>ç</CFe>"},
        {"<CFe>utf-8 sem declaracao</CFe>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe>utf-8 sem declaracao</CFe>"},
    };
    for (const auto& c : casos) {
        sat.EnviarDadosVenda(c.entrada);
        EXPECT_EQ(falso.ultimaChamada(),
                  "EnviarDadosVenda|" + std::to_string(sat.numeroSessao()) + "||" + c.enviado);
    }
}

TEST_F(Sessao, ArquivoDeLog) {
    sat.ArqLOG = (pasta / "sat.log").string();
    bool tratar = false;
    aoLogar = nullptr;
    sat.OnGravarLog = [&](const std::string&, bool& tratado) { tratado = tratar; };
    TDateTime antes = agora();
    sat.DoLog("Sessão ativa");
    tratar = true;
    sat.DoLog("só no evento");
    std::string conteudo = lerArquivo(pasta / "sat.log");
    ASSERT_EQ(conteudo.size(), 21 + 3 + 12 + 2u) << conteudo;
    EXPECT_EQ(conteudo.substr(21), " - Sess\xe3o ativa\r\n");
    std::string stamp = conteudo.substr(0, 21);
    EXPECT_EQ(stamp.substr(0, 8), formatarDataHora("dd/mm/yy", antes));
    EXPECT_EQ(stamp[17], ':');

    // A missing folder loses the line quietly.
    tratar = false;
    sat.ArqLOG = (pasta / "nao" / "existe.log").string();
    EXPECT_EQ(mensagemDe([&] { sat.DoLog("perdida"); }), "(sem erro)");
    EXPECT_FALSE(fs::exists(pasta / "nao"));
}

TEST_F(Sessao, VersaoDoLayoutPeloStatus) {
    const std::string status =
        "{s}|10000|Resposta com Sucesso|||900004019|DHCP|10.0.0.5|00:11:22:33:44:55|255.255.255.0|"
        "10.0.0.1|8.8.8.8|8.8.4.4|CONECTADO|ALTO|4 GB|1 MB|20241031235958|01.00.00|0,08|"
        "35241008723218000186599000040190000010000019|x|20241031120000|20241030|20230101|20281231|0";
    falso.responder(status);
    sat.Config().infCFe_versaoDadosEnt = 0;
    sat.Inicializar();
    EXPECT_DOUBLE_EQ(sat.Config().infCFe_versaoDadosEnt, 0.08);
    EXPECT_EQ(sat.Status().NSERIE, "900004019");
    EXPECT_EQ(sat.Rede().lanIP, "10.0.0.5");
    EXPECT_EQ(mensagemDe([&] { sat.VerificarVersaoSAT(0.09); }),
              "VerificarVersaoSAT: SAT não suporta a versão [0.09]");
    falso.responder(substituirTudo(status, "0,08", "abc"));
    EXPECT_EQ(mensagemDe([&] { sat.VerificarVersaoSAT(); }), "VerificarVersaoSAT: Falha ao ler versão do SAT");
    falso.responder("{s}|10001|Falha|||");
    EXPECT_EQ(mensagemDe([&] { sat.VerificarVersaoSAT(); }),
              "VerificarVersaoSAT: Erro ao ConsultarStatusOperacional");

    sat.DesInicializar();
    EXPECT_EQ(sat.Status().NSERIE, "");
    EXPECT_EQ(sat.Rede().lanIP, "");
}

TEST_F(Sessao, DocumentoAutorizadoDecodificadoESalvo) {
    sat.ConfigArquivos().SalvarCFe = true;
    sat.ConfigArquivos().setPastaCFeVenda((pasta / "Enviados").string());
    sat.Inicializar();
    const std::string chave = "35241008723218000186599000040190000010000019";
    const std::string semDeclaracao = "<CFe><infCFe Id=\"CFe" + chave + "\"><ide><nCFe>000001</nCFe></ide></infCFe></CFe>";
    std::string b64 = base64(semDeclaracao);
    b64.insert(10, "\r\n");
    falso.responder("{s}|06000|0000|Emitido com sucesso + conteudo notas.|||" + b64 + "|20241031120000");
    sat.EnviarDadosVenda("<CFe/>");
    const std::string esperado = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + semDeclaracao;
    EXPECT_EQ(sat.CFe().infCFe.ID, chave);
    EXPECT_EQ(sat.CFe().XMLOriginal(), esperado);
    fs::path arq = pasta / "Enviados" / ("AD" + chave + ".xml");
    EXPECT_EQ(lerArquivo(arq), esperado);
    EXPECT_TRUE(logou("  Gravando XML Venda recebido: " + arq.string()));

    // One with its own declaration is kept byte for byte.
    const std::string comDeclaracao = "<?xml version=\"1.0\"?>" + semDeclaracao;
    falso.responder("{s}|06000|0000|ok|||" + base64(comDeclaracao));
    sat.EnviarDadosVenda("<CFe/>");
    EXPECT_EQ(sat.CFe().XMLOriginal(), comDeclaracao);

    // A 6000 answer without field 6 fails the command; the answer stays readable.
    falso.responder("{s}|06000|0000|Emitido||");
    EXPECT_EQ(mensagemDe([&] { sat.EnviarDadosVenda("<CFe/>"); }), "Índice de lista fora dos limites (6)");
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 6000);
    EXPECT_FALSE(sat.AguardandoResposta());
}

TEST_F(Sessao, MensagemSEFAZ) {
    sat.Inicializar();
    std::vector<std::pair<int, std::string>> vistas;
    sat.OnMensagemSEFAZ = [&](int cod, const std::string& msg) { vistas.emplace_back(cod, msg); };
    falso.responder("{s}|08000|0000|ok|0||");
    sat.ConsultarSAT();
    falso.responder("{s}|06010|1999|Rejeitado|123| Aviso |x");
    sat.ConsultarSAT();
    ASSERT_EQ(vistas.size(), 1u);
    EXPECT_EQ(vistas[0], std::make_pair(123, std::string("Aviso")));
}

TEST_F(Sessao, NumerosDeSessaoNaFaixaEGeradoresIndependentes) {
    sat.Inicializar();
    int mudancas = 0;
    sat.OnAguardandoRespostaChange = [&] { ++mudancas; };
    std::set<int> vistos;
    for (int i = 0; i < 50; ++i) {
        sat.ConsultarSAT();
        EXPECT_GE(sat.numeroSessao(), 0);
        EXPECT_LE(sat.numeroSessao(), 999998);
        vistos.insert(sat.numeroSessao());
    }
    EXPECT_EQ(mudancas, 100);  // on and off once per command
    EXPECT_GT(vistos.size(), 40u);
    // Two components started together do not share a sequence.
    TOrvSAT outro;
    outro.setModelo(TOrvSATModelo::satDinamico_cdecl);
    outro.setNomeDLL(SATFALSO_GRAVA);
    outro.Inicializar();
    TOrvSAT terceiro;
    terceiro.setModelo(TOrvSATModelo::satDinamico_cdecl);
    terceiro.setNomeDLL(SATFALSO_GRAVA);
    terceiro.Inicializar();
    std::vector<int> a, b;
    for (int i = 0; i < 3; ++i) {
        outro.ConsultarSAT();
        terceiro.ConsultarSAT();
        a.push_back(outro.numeroSessao());
        b.push_back(terceiro.numeroSessao());
    }
    EXPECT_NE(a, b);
}

TEST_F(Sessao, RedeLogsEPaginaInvalida) {
    sat.Inicializar();
    sat.Rede().tipoLan = TTipoLan::lanIPFIX;
    sat.Rede().lanIP = "10.1.1.9";
    sat.ConfigurarInterfaceDeRede();
    EXPECT_NE(falso.ultimaChamada().find("<tipoLan>IPFIX</tipoLan><lanIP>10.1.1.9</lanIP>"), std::string::npos);
    sat.ConfigurarInterfaceDeRede("<config><tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan></config>");
    EXPECT_EQ(sat.Rede().tipoLan, TTipoLan::lanDHCP);
    EXPECT_EQ(sat.Rede().lanIP, "10.1.1.9");  // absent elements stay

    falso.responder("{s}|15000|Transferencia completa|||TElOSEEgMQpMSU5IQSAy");
    sat.ExtrairLogs();
    EXPECT_EQ(sat.LogExtraido(), "LINHA 1\nLINHA 2");

    // A code page the platform cannot convert fails the command without leaving it busy.
    falso.responder("{s}|08000|0000|Opera\xc3\xa7\xc3\xa3o|0||");
    sat.Config().PaginaDeCodigo = 12345;
    EXPECT_NE(mensagemDe([&] { sat.ConsultarSAT(); }), "(sem erro)");
    EXPECT_FALSE(sat.AguardandoResposta());
    sat.Config().PaginaDeCodigo = 0;
    EXPECT_EQ(mensagemDe([&] { sat.ConsultarSAT(); }), "(sem erro)");
}
