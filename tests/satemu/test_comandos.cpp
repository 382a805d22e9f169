// The device's other commands: activation and link, locks, activation code, network, logs,
// end-to-end test, the refusals common to all of them, and satemu-admin.

#include "Emulador.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

std::string executar(const std::string& cmd, int* codigo = nullptr)
{
    std::string saida;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return saida;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) saida.append(buf, n);
    int st = pclose(p);
    if (codigo) *codigo = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return saida;
}

}  // namespace

TEST_F(EmuladorTest, AtivacaoEVinculacaoDeUmDispositivoNovo)
{
    configurar("ativado", "0");
    EXPECT_EQ(campos(sat().ConsultarSAT(sessao()))[1], "08000");
    EXPECT_EQ(vender()[1], "06002");
    EXPECT_EQ(status()[1], "10099");
    EXPECT_EQ(campos(sat().ConsultarNumeroSessao(sessao(), kCodigo, 1))[1], "11002");
    EXPECT_EQ(campos(sat().ConsultarUltimaSessaoFiscal(sessao(), kCodigo))[1], "19002");
    EXPECT_EQ(campos(sat().TesteFimAFim(sessao(), kCodigo, DadosVenda{}.xml().c_str()))[1], "09002");
    const std::string cnpjs = kCnpjSh + kCnpjEmit;
    EXPECT_EQ(campos(sat().AssociarAssinatura(sessao(), kCodigo, cnpjs.c_str(), "X"))[1], "13099");

    EXPECT_EQ(campos(sat().AtivarSAT(sessao(), 1, "codigo-novo", "11222333000181", 35))[1], "04002");
    auto a = campos(sat().AtivarSAT(sessao(), 1, "codigo-novo", kCnpjEmit.c_str(), 35));
    EXPECT_EQ(a[1], "04000");
    EXPECT_EQ(campos(sat().AtivarSAT(sessao(), 1, "codigo-novo", kCnpjEmit.c_str(), 35))[1], "04003");

    DadosVenda dv;
    dv.signAC = "ASSINATURA DO AC";
    EXPECT_EQ(campos(sat().EnviarDadosVenda(sessao(), "codigo-novo", dv.xml().c_str()))[1], "06003");
    const std::string outroEmitente = kCnpjSh + "11222333000181";
    EXPECT_EQ(campos(sat().AssociarAssinatura(sessao(), "codigo-novo", outroEmitente.c_str(), "ASSINATURA DO AC"))[1], "13004");
    EXPECT_EQ(campos(sat().AssociarAssinatura(sessao(), "codigo-novo", cnpjs.c_str(), "ASSINATURA DO AC"))[1], "13000");
    EXPECT_EQ(campos(sat().EnviarDadosVenda(sessao(), "codigo-novo", dv.xml().c_str()))[1], "06000");
    EXPECT_EQ(campos(sat().EnviarDadosVenda(sessao(), "codigo-novo", DadosVenda{}.xml().c_str()))[1], "06004")
        << "the homologation signAC no longer matches the link";
}

TEST_F(EmuladorTest, CodigoDeAtivacaoErradoEmCadaComando)
{
    const char* e = "errado00";
    struct Caso {
        const char* comando;
        std::function<const char*(int)> chama;
        std::string retorno;
    };
    const std::string dados = DadosVenda{}.xml();
    const std::string cnpjs = kCnpjSh + kCnpjEmit;
    const std::vector<Caso> casos = {
        {"AssociarAssinatura", [&](int s) { return sat().AssociarAssinatura(s, e, cnpjs.c_str(), "X"); }, "13001"},
        {"AtualizarSoftwareSAT", [&](int s) { return sat().AtualizarSoftwareSAT(s, e); }, "14001"},
        {"BloquearSAT", [&](int s) { return sat().BloquearSAT(s, e); }, "16001"},
        {"ComunicarCertificadoICPBRASIL", [&](int s) { return sat().ComunicarCertificadoICPBRASIL(s, e, "CERT"); }, "05001"},
        {"ConfigurarInterfaceDeRede", [&](int s) { return sat().ConfigurarInterfaceDeRede(s, e, "<config/>"); }, "12001"},
        {"ConsultarNumeroSessao", [&](int s) { return sat().ConsultarNumeroSessao(s, e, 1); }, "11001"},
        {"ConsultarStatusOperacional", [&](int s) { return sat().ConsultarStatusOperacional(s, e); }, "10001"},
        {"DesbloquearSAT", [&](int s) { return sat().DesbloquearSAT(s, e); }, "17001"},
        {"ExtrairLogs", [&](int s) { return sat().ExtrairLogs(s, e); }, "15001"},
        {"TesteFimAFim", [&](int s) { return sat().TesteFimAFim(s, e, dados.c_str()); }, "09001"},
        {"TrocarCodigoDeAtivacao", [&](int s) { return sat().TrocarCodigoDeAtivacao(s, e, 1, "novo-codigo", "novo-codigo"); }, "18001"},
        {"ConsultarUltimaSessaoFiscal", [&](int s) { return sat().ConsultarUltimaSessaoFiscal(s, e); }, "19001"},
        {"ConsultarSAT com sessão negativa", [&](int) { return sat().ConsultarSAT(-1); }, "08099"},
        {"ConsultarSAT com sessão de sete dígitos", [&](int) { return sat().ConsultarSAT(1000000); }, "08099"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.comando);
        auto r = campos(caso.chama(sessao()));
        ASSERT_GE(r.size(), 5u);
        EXPECT_EQ(r[1], caso.retorno);
    }
    EXPECT_EQ(status()[ESTADO_OPERACAO], "DESBLOQUEADO") << "nothing changed";
}

TEST_F(EmuladorTest, ComandosAdministrativosMudamOEstadoDoDispositivo)
{
    auto cmd = [](const char* r) { return campos(r)[1]; };
    EXPECT_EQ(cmd(sat().ConsultarUltimaSessaoFiscal(sessao(), kCodigo)), "19003");

    EXPECT_EQ(cmd(sat().BloquearSAT(sessao(), kCodigo)), "16000");
    EXPECT_EQ(cmd(sat().BloquearSAT(sessao(), kCodigo)), "16002");
    EXPECT_EQ(status()[ESTADO_OPERACAO], "BLOQUEIO_CONTRIBUINTE");
    EXPECT_EQ(cmd(sat().DesbloquearSAT(sessao(), kCodigo)), "17000");
    EXPECT_EQ(cmd(sat().DesbloquearSAT(sessao(), kCodigo)), "17003");

    EXPECT_EQ(cmd(sat().TrocarCodigoDeAtivacao(sessao(), kCodigo, 1, "codigo-novo", "outro-codigo")), "18003");
    EXPECT_EQ(cmd(sat().TrocarCodigoDeAtivacao(sessao(), kCodigo, 1, "codigo-novo", "codigo-novo")), "18000");
    EXPECT_EQ(status()[1], "10001");
    EXPECT_EQ(cmd(sat().TrocarCodigoDeAtivacao(sessao(), "nao-e-esse", 2, "12345678", "12345678")), "18002");
    EXPECT_EQ(cmd(sat().TrocarCodigoDeAtivacao(sessao(), "87654321", 2, "12345678", "12345678")), "18000");
    EXPECT_EQ(status()[1], "10000");

    EXPECT_EQ(cmd(sat().ConfigurarInterfaceDeRede(sessao(), kCodigo, "<config><tipoInter>ETHE</tipoInter>"
                                                                      "<tipoLan>IPFIX</tipoLan><lanIP>10.0.0.9</lanIP>"
                                                                      "</config>")),
              "12000");
    EXPECT_EQ(status()[LAN_IP], "10.0.0.9");
    EXPECT_EQ(cmd(sat().ConfigurarInterfaceDeRede(sessao(), kCodigo, "<config><lanIP>")), "12002");

    const std::string dados = DadosVenda{}.xml();
    auto t = campos(sat().TesteFimAFim(sessao(), kCodigo, dados.c_str()));
    ASSERT_EQ(t.size(), 9u);
    EXPECT_EQ(t[1], "09000");
    EXPECT_EQ(status()[ULTIMO_CF_E_SAT], "") << "the end-to-end test issues no coupon";
    EXPECT_EQ(vender()[8].substr(34, 6), "000001");

    EXPECT_EQ(cmd(sat().AtualizarSoftwareSAT(sessao(), kCodigo)), "14000");
    EXPECT_EQ(cmd(sat().ComunicarCertificadoICPBRASIL(sessao(), kCodigo, "MIIB")), "05000");
    auto logs = campos(sat().ExtrairLogs(sessao(), kCodigo));
    ASSERT_EQ(logs.size(), 6u);
    EXPECT_EQ(logs[1], "15000");
    EXPECT_NE(base64Decodificado(logs[5]).find("EnviarDadosVenda 06000"), std::string::npos);
}

TEST_F(EmuladorTest, AdministradorCriaMostraExportaEControlaFalhas)
{
    const std::string admin = std::string(SATEMU_ADMIN) + " --ini " + ini + " ";
    int codigo = -1;
    executar(admin + "criar --serie 123456789 --sem-vinculo", &codigo);
    ASSERT_EQ(codigo, 0);
    EXPECT_EQ(status()[NSERIE], "123456789");
    EXPECT_EQ(vender()[1], "06003");
    EXPECT_NE(executar(admin + "estado").find("vinculado:           não"), std::string::npos);

    configurar("vinculado", "1");
    executar(admin + "reset", &codigo);
    ASSERT_EQ(codigo, 0);
    auto v = vender();
    ASSERT_EQ(v[1], "06000");
    EXPECT_NE(executar(admin + "listar").find(v[8].substr(3)), std::string::npos);
    executar(admin + "exportar " + pasta + "/xml 1", &codigo);
    ASSERT_EQ(codigo, 0);
    std::ifstream in(pasta + "/xml/AD" + v[8].substr(3) + ".xml", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), base64Decodificado(v[6]));

    executar(admin + "falha lixo=1", &codigo);
    ASSERT_EQ(codigo, 0);
    EXPECT_EQ(campos(sat().ConsultarSAT(sessao())).size(), 1u);
    executar(admin + "falha limpar", &codigo);
    EXPECT_EQ(campos(sat().ConsultarSAT(sessao()))[1], "08000");
    executar(admin + "falha explodir=1", &codigo);
    EXPECT_EQ(codigo, 2);

    executar(admin + "bloquear autonomo", &codigo);
    EXPECT_EQ(vender()[1], "06008");
    executar(admin + "desbloquear", &codigo);
    EXPECT_EQ(vender()[1], "06000");
}
