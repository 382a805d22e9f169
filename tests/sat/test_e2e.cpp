// End to end against the SAT emulator: a status, a sale of an entry document written by the
// CF-e writer and its cancellation, through the component and through orvane-tool.

#include "sat/OrvSAT.h"
#include "support/Texto.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

using namespace orv;
namespace fs = std::filesystem;

namespace {

const std::string kCnpjSh = "16716114000172";
const std::string kCnpjEmit = "08723218000186";
const std::string kIE = "149626224113";
const std::string kSignAC = "SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT";
const std::string kAtivacao = "12345678";

std::string lerArquivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool chaveValida(const std::string& k) { return k.size() == 44 && apenasDigitos(k) == k; }

class E2E : public ::testing::Test {
protected:
    void SetUp() override {
        char modelo[] = "/tmp/orv-sat-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(modelo), nullptr);
        pasta = modelo;
        std::ofstream(pasta / "satemu.ini") << "[dispositivo]\npasta_estado=" << (pasta / "estado").string()
                                             << "\npasta_esquemas=" << SATEMU_ESQUEMAS << "\n";
        setenv("SATEMU_INI", (pasta / "satemu.ini").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(pasta); }

    // The component as the emission pipeline sets it up.
    void configurar(TOrvSAT& sat) {
        sat.setModelo(TOrvSATModelo::satDinamico_cdecl);
        sat.setNomeDLL(SATEMU_LIB);
        sat.OnGetcodigoDeAtivacao = [](std::string& c) { c = kAtivacao; };
        sat.OnGetsignAC = [](std::string& c) { c = kSignAC; };
        sat.Config().ide_CNPJ = kCnpjSh;
        sat.Config().emit_CNPJ = kCnpjEmit;
        sat.Config().emit_IE = kIE;
        sat.Config().emit_cRegTribISSQN = TRegTribISSQN::RTISSNenhum;
        sat.Config().emit_indRatISSQN = TindRatISSQN::irNao;
        sat.Config().infCFe_versaoDadosEnt = 0;  // asked of the device
        sat.Config().setEhUTF8(true);
        auto& a = sat.ConfigArquivos();
        a.SalvarCFe = a.SalvarCFeCanc = a.SalvarEnvio = true;
        a.setPastaCFeVenda((pasta / "Enviados").string());
        a.setPastaCFeCancelamento((pasta / "Cancelados").string());
        a.setPastaEnvio((pasta / "LOGs").string());
        fs::create_directories(pasta / "LOGs");
        sat.ArqLOG = (pasta / "LOGs" / "satcfe.log").string();
    }

    // One item of 10.00 paid in cash, Simples Nacional.
    void preencherVenda(TOrvSAT& sat) {
        sat.InicializaCFe();
        sat.CFe().IdentarXML = true;
        auto& det = sat.CFe().Det.New();
        det.nItem = 1;
        det.Prod.cProd = "0001";
        det.Prod.xProd = "CAFÉ TORRADO 500G";
        det.Prod.CFOP = "5102";
        det.Prod.uCom = "UN";
        det.Prod.qCom = 1;
        det.Prod.vUnCom = 10;
        det.Imposto.ICMS.CSOSN = TCSOSNIcms::csosn102;
        det.Imposto.PIS.CST = TCstPis::pis49;
        det.Imposto.COFINS.CST = TCstCofins::cof49;
        auto& mp = sat.CFe().Pagto.New();
        mp.cMP = TCodigoMP::mpDinheiro;
        mp.vMP = Currency(10);
    }

    fs::path pasta;
};

struct Saida {
    int status = -1;
    std::vector<std::string> linhas;
};

Saida rodar(const std::string& argumentos) {
    Saida s;
    std::string cmd = std::string("'") + ORVANE_TOOL + "' " + argumentos + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return s;
    std::string texto;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        texto.append(buf, n);
    int st = pclose(p);
    s.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::istringstream in(texto);
    for (std::string l; std::getline(in, l);)
        s.linhas.push_back(l);
    return s;
}

} // namespace

TEST_F(E2E, StatusVendaECancelamentoPeloComponente) {
    TOrvSAT sat;
    configurar(sat);
    sat.Inicializar();
    EXPECT_DOUBLE_EQ(sat.Config().infCFe_versaoDadosEnt, 0.08);
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 10000);
    EXPECT_EQ(sat.Status().NSERIE, "900004019");
    EXPECT_EQ(sat.Status().ESTADO_OPERACAO, TOrvSATEstadoOperacao::opDESBLOQUEADO);

    preencherVenda(sat);
    sat.EnviarDadosVenda();
    ASSERT_EQ(sat.Resposta().codigoDeRetorno(), 6000) << sat.RespostaComando();
    const std::string chave = sat.CFe().infCFe.ID;
    ASSERT_TRUE(chaveValida(chave)) << chave;
    EXPECT_EQ(sat.CFe().ide.nCFe, 1);
    EXPECT_EQ(sat.CFe().Total.vCFe, Currency(10));
    fs::path cupom = pasta / "Enviados" / ("AD" + chave + ".xml");
    ASSERT_TRUE(fs::exists(cupom));
    EXPECT_EQ(lerArquivo(cupom), sat.CFe().XMLOriginal());
    EXPECT_NE(sat.CFe().XMLOriginal().find("<nserieSAT>900004019</nserieSAT>"), std::string::npos);
    int pedidos = 0;
    for (const auto& e : fs::directory_iterator(pasta / "LOGs"))
        pedidos += comecaCom(e.path().filename().string(), "AD") && terminaCom(e.path().string(), "-env.xml");
    EXPECT_EQ(pedidos, 1);

    sat.CancelarUltimaVenda();
    ASSERT_EQ(sat.Resposta().codigoDeRetorno(), 7000) << sat.RespostaComando();
    const std::string chaveCanc = sat.CFeCanc().infCFe.ID;
    ASSERT_TRUE(chaveValida(chaveCanc)) << chaveCanc;
    EXPECT_NE(chaveCanc, chave);
    EXPECT_EQ(sat.CFeCanc().infCFe.chCanc, "CFe" + chave);
    EXPECT_TRUE(fs::exists(pasta / "LOGs" / ("ADC" + chave + "-env.xml")));
    fs::path cancelamento = pasta / "Cancelados" / ("ADC" + chaveCanc + ".xml");
    ASSERT_TRUE(fs::exists(cancelamento));
    EXPECT_EQ(lerArquivo(cancelamento), sat.CFeCanc().XMLOriginal());

    // The session query answers with the cancellation again and decodes it.
    const int sessaoCanc = sat.numeroSessao();
    sat.ConsultarNumeroSessao(sessaoCanc);
    EXPECT_EQ(sat.Resposta().codigoDeRetorno(), 7000);
    EXPECT_EQ(sat.Resposta().numeroSessao(), sessaoCanc);

    sat.DesInicializar();
    std::string log = lerArquivo(pasta / "LOGs" / "satcfe.log");
    EXPECT_NE(log.find("OrvSAT.Inicializado\r\n"), std::string::npos);
    EXPECT_NE(log.find("  Gravando XML Venda recebido: " + cupom.string()), std::string::npos);
    EXPECT_NE(log.find("   Sessao [" + std::to_string(sessaoCanc) + "] recuperada com sucesso"),
              std::string::npos);
    EXPECT_NE(log.find("OrvSAT.DesInicializado\r\n"), std::string::npos);
}

TEST_F(E2E, StatusVendaECancelamentoPeloOrvaneTool) {
    const std::string comum = std::string("sat --biblioteca '") + SATEMU_LIB + "' --ativacao " + kAtivacao +
                              " --pagina-codigo 65001 --pasta '" + pasta.string() + "' ";
    Saida st = rodar(comum + "status");
    ASSERT_EQ(st.status, 0);
    ASSERT_EQ(st.linhas.size(), 3u);
    auto resposta = nlohmann::json::parse(st.linhas[1]);
    EXPECT_EQ(resposta["codigoDeRetorno"], 10000);
    auto status = nlohmann::json::parse(st.linhas[2]);
    EXPECT_EQ(status["NSERIE"], "900004019");
    EXPECT_EQ(status["ESTADO_OPERACAO"], "DESBLOQUEADO");

    // The entry document comes from the CF-e writer, through a component never initialised.
    fs::path entrada = pasta / "entrada.xml";
    {
        TOrvSAT sat;
        configurar(sat);
        sat.Config().infCFe_versaoDadosEnt = 0.08;
        preencherVenda(sat);
        std::ofstream(entrada, std::ios::binary) << sat.CFe().GerarXML(true);
    }
    Saida venda = rodar(comum + "venda '" + entrada.string() + "'");
    ASSERT_EQ(venda.status, 0) << (venda.linhas.empty() ? "" : venda.linhas[0]);
    ASSERT_EQ(venda.linhas.size(), 4u);
    auto rv = nlohmann::json::parse(venda.linhas[1]);
    EXPECT_EQ(rv["codigoDeRetorno"], 6000);
    EXPECT_TRUE(terminaCom(venda.linhas[2], "-env.xml"));
    fs::path cupom = venda.linhas[3];
    std::string nome = cupom.filename().string();
    ASSERT_TRUE(comecaCom(nome, "AD") && terminaCom(nome, ".xml")) << nome;
    const std::string chave = nome.substr(2, nome.size() - 6);
    EXPECT_TRUE(chaveValida(chave)) << nome;
    EXPECT_EQ(cupom.parent_path(), pasta);
    EXPECT_TRUE(fs::exists(cupom));

    Saida sessao = rodar(comum + "sessao " + std::to_string(rv["numeroSessao"].get<int>()));
    EXPECT_EQ(sessao.status, 0);

    Saida canc = rodar(comum + "cancelar '" + cupom.string() + "'");
    ASSERT_EQ(canc.status, 0) << (canc.linhas.empty() ? "" : canc.linhas[0]);
    ASSERT_EQ(canc.linhas.size(), 4u);
    EXPECT_EQ(nlohmann::json::parse(canc.linhas[1])["codigoDeRetorno"], 7000);
    EXPECT_EQ(canc.linhas[2], (pasta / ("ADC" + chave + "-env.xml")).string());
    EXPECT_TRUE(fs::exists(canc.linhas[3]));

    // Cancelling again: the device refuses, the tool says so by its exit status.
    Saida deNovo = rodar(comum + "cancelar '" + cupom.string() + "'");
    EXPECT_EQ(deNovo.status, 2);
    Saida semBiblioteca = rodar("sat --biblioteca /nao/existe.so consultar");
    EXPECT_EQ(semBiblioteca.status, 1);
}
