// Every refusal the device gives for a sale or a cancellation: return code, CCCC code, and
// nothing issued.

#include "Emulador.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

namespace {

const char* kSaida = " >/dev/null 2>&1";

std::string xmlSemIde(std::string xml, const std::string& de, const std::string& para)
{
    size_t p = xml.find(de);
    if (p != std::string::npos) xml.replace(p, de.size(), para);
    return xml;
}

}  // namespace

TEST_F(EmuladorTest, VendaRecusadaComCodigoDeRetornoERejeicao)
{
    struct Caso {
        const char* nome;
        std::function<void(DadosVenda&)> muda;
        std::string retorno, cccc;
        std::optional<std::string> bruto = std::nullopt;  // entry text sent as is
        std::string ini = "";                             // [dispositivo] key=value for a new device
        std::function<void()> antes = nullptr;
        const char* codigo = kCodigo;
        bool nulo = false;
    };
    auto nada = [](DadosVenda&) {};
    auto imposto = [](std::string inner) {
        return [inner](DadosVenda& d) { d.itens[0].imposto = inner; };
    };
    const std::string pisCofins = "<PIS><PISSN><CST>49</CST></PISSN></PIS><COFINS><COFINSSN><CST>49</CST></COFINSSN></COFINS>";
    const std::vector<Caso> casos = {
        {"código de ativação errado", nada, "06001", "0000", std::nullopt, "", nullptr, "87654321"},
        {"não ativado", nada, "06002", "0000", std::nullopt, "ativado=0"},
        {"não vinculado", nada, "06003", "1221", std::nullopt, "vinculado=0"},
        {"CNPJ de outra software house", [](DadosVenda& d) { d.cnpjSh = "11222333000181"; }, "06004", "1224"},
        {"signAC diferente do vinculado", [](DadosVenda& d) { d.signAC = "OUTRA ASSINATURA"; }, "06004", "1085"},
        {"documento acima de 1500 KB", nada, "06005", "0000", std::string(1600 * 1024, 'a')},
        {"bloqueado pelo contribuinte", nada, "06006", "0000", std::nullopt, "",
         [this] { sat().BloquearSAT(sessao(), kCodigo); }},
        {"bloqueado pela SEFAZ", nada, "06007", "0000", std::nullopt, "",
         [this] { ASSERT_EQ(std::system((std::string(SATEMU_ADMIN) + " --ini " + ini + " bloquear sefaz" + kSaida).c_str()), 0); }},
        {"bloqueio autônomo", nada, "06008", "0000", std::nullopt, "",
         [this] { ASSERT_EQ(std::system((std::string(SATEMU_ADMIN) + " --ini " + ini + " bloquear autonomo" + kSaida).c_str()), 0); }},
        {"ocupado", nada, "06098", "0000", std::nullopt, "", [this] { falha("ocupado", "1"); }},
        {"estado inacessível", nada, "06099", "0000", std::nullopt, "pasta_estado=/proc/satemu-inacessivel"},
        {"XML mal formado", nada, "06010", "1999", std::string("<CFe><infCFe versaoDadosEnt=\"0.08\"><ide>")},
        {"bytes sem sentido", nada, "06010", "1999", std::string("\x01\x02\xff\xfe garbage")},
        {"dados nulos", nada, "06010", "1999", std::nullopt, "", nullptr, kCodigo, true},
        {"raiz que não é CFe", nada, "06010", "1999", std::string("<?xml version=\"1.0\"?><CFeCanc/>")},
        {"versão 0.06", [](DadosVenda& d) { d.versao = "0.06"; }, "06010", "1004"},
        {"CNPJ da software house com dígito errado", [](DadosVenda& d) { d.cnpjSh = "16716114000171"; }, "06010", "1224"},
        {"CNPJ do emitente com dígito errado", [](DadosVenda& d) { d.cnpjEmit = "08723218000187"; }, "06010", "1207"},
        {"CNPJ de outro emitente", [](DadosVenda& d) { d.cnpjEmit = "11222333000181"; }, "06010", "1207"},
        {"IE em branco", [](DadosVenda& d) { d.ie = ""; }, "06010", "1229"},
        {"IE não numérica", [](DadosVenda& d) { d.ie = "ISENTO"; }, "06010", "1209"},
        {"IE de outro contribuinte", [](DadosVenda& d) { d.ie = "111111111111"; }, "06010", "1230"},
        {"CNPJ do destinatário inválido", [](DadosVenda& d) { d.dest = "<CNPJ>11222333000180</CNPJ>"; }, "06010", "1235"},
        {"CPF do destinatário inválido", [](DadosVenda& d) { d.dest = "<CPF>11144477736</CPF>"; }, "06010", "1237"},
        {"itens fora de sequência", [](DadosVenda& d) { d.itens[0].nItem = 2; }, "06010", "1019"},
        {"501 itens", [](DadosVenda& d) { d.itens.assign(501, ItemVenda{}); d.pagamentos = {{"01", "5010.00"}}; }, "06010", "1999"},
        {"GTIN com dígito errado", [](DadosVenda& d) { d.itens[0].cEAN = "12345678"; }, "06010", "1460"},
        {"CFOP de entrada", [](DadosVenda& d) { d.itens[0].cfop = "1102"; }, "06010", "1462"},
        {"quantidade zero", [](DadosVenda& d) { d.itens[0].qCom = "0.0000"; }, "06010", "1464"},
        {"valor unitário com vírgula", [](DadosVenda& d) { d.itens[0].vUnCom = "10,00"; }, "06010", "1465"},
        {"regra de cálculo X", [](DadosVenda& d) { d.itens[0].indRegra = "X"; }, "06010", "1467"},
        {"desconto maior que o produto", [](DadosVenda& d) { d.itens[0].vDesc = "10.01"; }, "06010", "1468"},
        {"CST de ICMS00 fora da lista", imposto("<ICMS><ICMS00><Orig>0</Orig><CST>10</CST><pICMS>18.00</pICMS></ICMS00></ICMS>" + pisCofins), "06010", "1472"},
        {"origem 8", imposto("<ICMS><ICMSSN102><Orig>8</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS>" + pisCofins), "06010", "1471"},
        {"CSOSN 101", imposto("<ICMS><ICMSSN102><Orig>0</Orig><CSOSN>101</CSOSN></ICMSSN102></ICMS>" + pisCofins), "06010", "1476"},
        {"PISAliq com CST 05",
         imposto("<ICMS><ICMSSN102><Orig>0</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS><PIS><PISAliq><CST>05</CST><vBC>10.00</vBC>"
                 "<pPIS>0.0165</pPIS></PISAliq></PIS><COFINS><COFINSSN><CST>49</CST></COFINSSN></COFINS>"), "06010", "1478"},
        {"ISSQN sem inscrição municipal",
         imposto("<ISSQN><vDeducISSQN>0.00</vDeducISSQN><vAliq>005.00</vAliq><cNatOp>01</cNatOp><indIncFisc>2</indIncFisc></ISSQN>" + pisCofins),
         "06010", "1501"},
        {"pagamento menor que o total", [](DadosVenda& d) { d.pagamentos = {{"01", "9.99"}}; }, "06010", "1408"},
        {"meio de pagamento 07", [](DadosVenda& d) { d.pagamentos = {{"07", "10.00"}}; }, "06010", "1527"},
        {"meio de pagamento de valor zero", [](DadosVenda& d) { d.pagamentos = {{"01", "10.00"}, {"02", "0.00"}}; }, "06010", "1528"},
        {"onze meios de pagamento", [](DadosVenda& d) { d.pagamentos.assign(11, {"01", "1.00"}); }, "06010", "1999"},
        {"desconto no subtotal maior que o total", [](DadosVenda& d) { d.vDescSubtot = "10.01"; }, "06010", "1220"},
        {"fora do leiaute (numeroCaixa de um dígito)", [](DadosVenda& d) { d.numeroCaixa = "1"; }, "06010", "1999"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        if (caso.ini.empty()) {
            dispositivoNovo();
        } else {
            std::filesystem::remove_all(estado);
            configurar(caso.ini.substr(0, caso.ini.find('=')), caso.ini.substr(caso.ini.find('=') + 1));
        }
        if (caso.antes) caso.antes();
        DadosVenda dv;
        caso.muda(dv);
        std::string xml = caso.bruto ? *caso.bruto : dv.xml();
        const int s = sessao();
        auto r = campos(sat().EnviarDadosVenda(s, caso.codigo, caso.nulo ? nullptr : xml.c_str()));
        ASSERT_EQ(r.size(), 6u);
        EXPECT_EQ(r[0], std::to_string(s));
        EXPECT_EQ(r[1], caso.retorno);
        EXPECT_EQ(r[2], caso.cccc);
        EXPECT_FALSE(r[3].empty());
        limparFalhas();
        if (caso.ini.empty()) {
            auto st = status();
            ASSERT_EQ(st.size(), 28u);
            EXPECT_EQ(st[ULTIMO_CF_E_SAT], "") << "a refused sale issues nothing";
        } else {
            const std::string chave = caso.ini.substr(0, caso.ini.find('='));
            configurar(chave, chave == "pasta_estado" ? estado : "1");
        }
    }
}

TEST_F(EmuladorTest, CancelamentoRecusadoComCodigoDeRetornoERejeicao)
{
    using Acao = std::function<std::vector<std::string>(const std::string& chave)>;
    auto enviar = [this](const std::string& chave, const std::string& xml, const char* codigo = kCodigo) {
        return campos(sat().CancelarUltimaVenda(sessao(), codigo, chave.c_str(), xml.c_str()));
    };
    struct Caso {
        const char* nome;
        Acao acao;
        std::string retorno, cccc;
        bool ultimoMuda = false;  // the action itself issues another coupon first
    };
    const std::vector<Caso> casos = {
        {"código de ativação errado", [&](const std::string& k) { return enviar(k, cancelamentoXml(k), "00000000"); }, "07001", "0000"},
        {"chave curta", [&](const std::string&) { return enviar("CFe123", cancelamentoXml("CFe123")); }, "07002", "0000"},
        {"chave com dígito errado",
         [&](const std::string& k) {
             std::string errada = k.substr(0, 46) + static_cast<char>('0' + (k.back() - '0' + 1) % 10);
             return enviar(errada, cancelamentoXml(errada));
         },
         "07002", "0000"},
        {"XML mal formado", [&](const std::string& k) { return enviar(k, "<CFeCanc><infCFe"); }, "07007", "1999"},
        {"dados nulos",
         [&](const std::string& k) { return campos(sat().CancelarUltimaVenda(sessao(), kCodigo, k.c_str(), nullptr)); },
         "07007", "1999"},
        {"chCanc diferente da chave do comando",
         [&](const std::string& k) {
             std::string outra = "CFe35200108723218000186599000040190000001234562";
             return enviar(k, cancelamentoXml(outra));
         },
         "07007", "1999"},
        {"signAC diferente", [&](const std::string& k) { return enviar(k, cancelamentoXml(k, kCnpjSh, "OUTRA")); }, "07007", "1085"},
        {"CNPJ de outra software house",
         [&](const std::string& k) { return enviar(k, cancelamentoXml(k, "11222333000181")); }, "07007", "1224"},
        {"chave que o SAT não emitiu",
         [&](const std::string&) {
             std::string k43 = "3520010872321800018659900004019000000123456";
             std::string k = "CFe" + k43 + digitoVerificador(k43);
             return enviar(k, cancelamentoXml(k));
         },
         "07007", "1412"},
        {"cupom que não é o último",
         [&](const std::string& k) {
             EXPECT_EQ(vender()[1], "06000");
             return enviar(k, cancelamentoXml(k));
         },
         "07007", "1412", true},
        {"31 minutos depois",
         [&](const std::string& k) {
             configurar("deslocamento_relogio", "1860");
             auto r = enviar(k, cancelamentoXml(k));
             configurar("deslocamento_relogio", "0");
             return r;
         },
         "07007", "1210"},
        {"bloqueado pelo contribuinte",
         [&](const std::string& k) {
             sat().BloquearSAT(sessao(), kCodigo);
             return enviar(k, cancelamentoXml(k));
         },
         "07003", "0000"},
        {"bloqueado pela SEFAZ",
         [&](const std::string& k) {
             EXPECT_EQ(std::system((std::string(SATEMU_ADMIN) + " --ini " + ini + " bloquear sefaz" + kSaida).c_str()), 0);
             return enviar(k, cancelamentoXml(k));
         },
         "07004", "0000"},
        {"bloqueio autônomo",
         [&](const std::string& k) {
             EXPECT_EQ(std::system((std::string(SATEMU_ADMIN) + " --ini " + ini + " bloquear autonomo" + kSaida).c_str()), 0);
             return enviar(k, cancelamentoXml(k));
         },
         "07005", "0000"},
        {"ocupado",
         [&](const std::string& k) {
             falha("ocupado", "1");
             auto r = enviar(k, cancelamentoXml(k));
             limparFalhas();
             return r;
         },
         "07098", "0000"},
        {"estado inacessível",
         [&](const std::string& k) {
             configurar("pasta_estado", "/proc/satemu-inacessivel");
             auto r = enviar(k, cancelamentoXml(k));
             configurar("pasta_estado", estado);
             return r;
         },
         "07099", "0000"},
        {"esquema: caixa de um dígito",
         [&](const std::string& k) { return enviar(k, xmlSemIde(cancelamentoXml(k), "<numeroCaixa>001", "<numeroCaixa>1")); },
         "07007", "1999"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        dispositivoNovo();
        auto v = vender();
        ASSERT_EQ(v[1], "06000");
        auto r = caso.acao(v[8]);
        ASSERT_EQ(r.size(), 6u);
        EXPECT_EQ(r[1], caso.retorno);
        EXPECT_EQ(r[2], caso.cccc);
        EXPECT_FALSE(r[3].empty());
        if (!caso.ultimoMuda) {
            EXPECT_EQ(status()[ULTIMO_CF_E_SAT], v[8].substr(3)) << "a refused cancellation issues nothing";
        }
    }
}

TEST_F(EmuladorTest, CancelamentoDentroDos30MinutosEAceito)
{
    auto v = vender();
    configurar("deslocamento_relogio", "1740");
    auto c = cancelar(v[8]);
    EXPECT_EQ(c[1], "07000") << c[3];
}

TEST_F(EmuladorTest, DocumentosEstragadosNuncaDerrubamODispositivo)
{
    // Truncations, flipped bytes and spliced fragments of a valid entry: every answer is a
    // well-formed authorisation or refusal.
    std::mt19937 acaso(20261211);
    DadosVenda base;
    base.dest = "<CPF>11144477735</CPF>";
    base.itens = {ItemVenda{}, ItemVenda{}};
    base.pagamentos = {{"01", "30.00"}};
    const std::string valido = base.xml();
    for (int i = 0; i < 150; ++i) {
        std::string x = valido;
        switch (i % 3) {
        case 0: x.resize(acaso() % x.size()); break;
        case 1:
            for (int n = 0; n < 4; ++n) x[acaso() % x.size()] = static_cast<char>(acaso() % 255 + 1);
            break;
        default: {
            size_t de = acaso() % x.size(), ate = acaso() % x.size();
            x.insert(ate, x.substr(de, acaso() % 80));
        }
        }
        SCOPED_TRACE(x);
        auto r = campos(sat().EnviarDadosVenda(sessao(), kCodigo, x.c_str()));
        ASSERT_GE(r.size(), 6u);
        ASSERT_TRUE(r[1] == "06000" || r[1] == "06010" || r[1] == "06004") << r[1] << " " << r[3];
        if (r[1] == "06000") {
            ASSERT_EQ(r.size(), 12u);
            auto c = campos(sat().CancelarUltimaVenda(sessao(), kCodigo, r[8].c_str(),
                                                      cancelamentoXml(r[8]).substr(0, acaso() % 300).c_str()));
            ASSERT_GE(c.size(), 6u);
            ASSERT_TRUE(c[1] == "07000" || c[1] == "07007") << c[1];
        }
    }
}
