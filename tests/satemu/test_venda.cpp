// Sale, cancellation and the session queries, the documents the device issues, and its
// memory across restarts.

#include "Emulador.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

int xmlsecVerifica(const std::string& arquivo, const std::string& opcoes)
{
    std::string cmd = "xmlsec1 --verify " + opcoes + " --id-attr:Id infCFe '" + arquivo + "' >/dev/null 2>&1";
    return std::system(cmd.c_str());
}

}  // namespace

TEST_F(EmuladorTest, StatusVendaCancelamentoEConsultasDeSessao)
{
    auto st = status();
    ASSERT_EQ(st.size(), 28u);
    EXPECT_EQ(st[1], "10000");
    EXPECT_EQ(st[NSERIE], "900004019");
    EXPECT_EQ(st[ULTIMO_CF_E_SAT], "");
    EXPECT_EQ(st[DH_CFE], "");
    EXPECT_EQ(st[ESTADO_OPERACAO], "DESBLOQUEADO");

    const int sVenda = sessao();
    const std::string entrada = DadosVenda{}.xml();
    const std::string respostaVenda = sat().EnviarDadosVenda(sVenda, kCodigo, entrada.c_str());
    auto v = campos(respostaVenda.c_str());
    ASSERT_EQ(v.size(), 12u) << respostaVenda;
    EXPECT_EQ(v[0], std::to_string(sVenda));
    EXPECT_EQ(v[1], "06000");
    EXPECT_EQ(v[2], "0000");
    ASSERT_EQ(v[8].size(), 47u);
    EXPECT_EQ(v[8].substr(0, 3), "CFe");
    EXPECT_EQ(v[8].substr(34, 6), "000001");
    EXPECT_EQ(v[9], "10.00");
    EXPECT_EQ(v[10], "");
    EXPECT_EQ(v[11].size(), 344u);

    st = status();
    EXPECT_EQ(st[ULTIMO_CF_E_SAT], v[8].substr(3));
    EXPECT_EQ(st[DH_CFE], v[7]);

    auto c = cancelar(v[8]);
    ASSERT_EQ(c.size(), 12u) << c[3];
    EXPECT_EQ(c[1], "07000");
    EXPECT_EQ(c[8].substr(34, 6), "000002") << "one counter for sales and cancellations";
    EXPECT_EQ(c[9], "10.00");

    const int sSegunda = sessao();
    const std::string ch = v[8], canc = cancelamentoXml(ch);
    const std::string recusa = sat().CancelarUltimaVenda(sSegunda, kCodigo, ch.c_str(), canc.c_str());
    auto r = campos(recusa.c_str());
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[1], "07007");
    EXPECT_EQ(r[2], "1218");

    EXPECT_EQ(std::string(sat().ConsultarNumeroSessao(sessao(), kCodigo, sVenda)), respostaVenda);
    EXPECT_EQ(std::string(sat().ConsultarUltimaSessaoFiscal(sessao(), kCodigo)), recusa);
    EXPECT_EQ(campos(sat().ConsultarNumeroSessao(sessao(), kCodigo, 4242))[1], "11003");
    EXPECT_EQ(status()[ULTIMO_CF_E_SAT], c[8].substr(3));
}

TEST_F(EmuladorTest, DocumentosEmitidosTemChaveAssinaturasEEstruturaCorretas)
{
    DadosVenda dv;
    dv.dest = "<CPF>11144477735</CPF><xNome>FULANO DE TAL</xNome>";
    dv.itens = {ItemVenda{}, ItemVenda{}};
    dv.itens[1].vUnCom = "2.50";
    dv.pagamentos = {{"01", "20.00"}};
    auto v = vender(dv);
    ASSERT_EQ(v.size(), 12u) << v[3];
    const std::string chave = v[8].substr(3), xml = base64Decodificado(v[6]);

    EXPECT_EQ(chave.back(), digitoVerificador(chave.substr(0, 43)));
    EXPECT_EQ(chave.substr(0, 2), "35");
    EXPECT_EQ(chave.substr(2, 4), v[7].substr(2, 4));
    EXPECT_EQ(chave.substr(6, 14), kCnpjEmit);
    EXPECT_EQ(chave.substr(20, 2), "59");
    EXPECT_EQ(chave.substr(22, 9), "900004019");
    EXPECT_EQ(v[9], "12.50");
    EXPECT_EQ(v[10], "11144477735");

    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/@Id"), v[8]);
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/@versaoDadosEnt"), "0.08");
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/cNF"), chave.substr(37, 6));
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/nCFe"), "000001");
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/cDV"), chave.substr(43));
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/dEmi") + xpath1(xml, "/CFe/infCFe/ide/hEmi"), v[7]);
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/tpAmb"), "2");
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/ide/assinaturaQRCODE"), v[11]);
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/emit/IE"), kIE);
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/dest/CPF"), "11144477735");
    EXPECT_EQ(xpath(xml, "/CFe/infCFe/det/prod/vItem"), (std::vector<std::string>{"10.00", "2.50"}));
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/total/vCFe"), "12.50");
    EXPECT_EQ(xpath1(xml, "/CFe/infCFe/pgto/vTroco"), "7.50");
    EXPECT_EQ(xpath(xml, "//ds:KeyInfo/*").size(), 1u) << "KeyInfo holds only X509Data";
    EXPECT_EQ(xpath(xml, "//ds:X509Data/*").size(), 1u);
    EXPECT_EQ(xpath1(xml, "//ds:Reference/@URI"), "#" + v[8]);

    const std::string arquivo = pasta + "/venda.xml";
    std::ofstream(arquivo, std::ios::binary) << xml;
    EXPECT_EQ(xmlsecVerifica(arquivo, "--insecure"), 0);
    EXPECT_EQ(xmlsecVerifica(arquivo, "--trusted-pem '" + estado + "/ac.pem'"), 0) << "issued by the device's authority";

    const std::string certificado = xpath1(xml, "//ds:X509Certificate");
    EXPECT_TRUE(assinaturaQrValida(certificado, chave + "|" + v[7] + "|12.50|11144477735", v[11]));
    EXPECT_FALSE(assinaturaQrValida(certificado, chave + "|" + v[7] + "|12.51|11144477735", v[11]));

    auto c = cancelar(v[8]);
    ASSERT_EQ(c.size(), 12u) << c[3];
    const std::string chaveC = c[8].substr(3), xmlC = base64Decodificado(c[6]);
    EXPECT_EQ(chaveC.back(), digitoVerificador(chaveC.substr(0, 43)));
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/@Id"), c[8]);
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/@chCanc"), v[8]);
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/dEmi") + xpath1(xmlC, "/CFeCanc/infCFe/hEmi"), v[7]);
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/ide/dEmi") + xpath1(xmlC, "/CFeCanc/infCFe/ide/hEmi"), c[7]);
    EXPECT_TRUE(xpath(xmlC, "/CFeCanc/infCFe/ide/tpAmb").empty());
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/dest/CPF"), "11144477735");
    EXPECT_EQ(xpath(xmlC, "/CFeCanc/infCFe/total/*").size(), 1u);
    EXPECT_EQ(xpath1(xmlC, "/CFeCanc/infCFe/total/vCFe"), "12.50");
    EXPECT_EQ(c[10], "11144477735");
    const std::string arquivoC = pasta + "/cancelamento.xml";
    std::ofstream(arquivoC, std::ios::binary) << xmlC;
    EXPECT_EQ(xmlsecVerifica(arquivoC, "--insecure"), 0);
    EXPECT_TRUE(assinaturaQrValida(xpath1(xmlC, "//ds:X509Certificate"), chaveC + "|" + c[7] + "|12.50|11144477735", c[11]));
}

TEST_F(EmuladorTest, ValoresDosItensRateioTotalETroco)
{
    struct Caso {
        const char* nome;
        DadosVenda venda;
        std::vector<std::string> vItem;
        std::string vCFe, vTroco;
        std::vector<std::string> rateio = {};  // vRatDesc or vRatAcr of each item, when apportioned
    };
    auto item = [](std::string q, std::string v, std::string regra, std::string desc = "", std::string outro = "") {
        ItemVenda i;
        i.qCom = q;
        i.vUnCom = v;
        i.indRegra = regra;
        i.vDesc = desc;
        i.vOutro = outro;
        return i;
    };
    auto venda = [](std::vector<ItemVenda> itens, std::vector<std::pair<std::string, std::string>> mp,
                    std::string desc = "", std::string acres = "") {
        DadosVenda d;
        d.itens = std::move(itens);
        d.pagamentos = std::move(mp);
        d.vDescSubtot = desc;
        d.vAcresSubtot = acres;
        return d;
    };
    const std::vector<Caso> casos = {
        {"um item pago exato", venda({item("1.0000", "10.00", "A")}, {{"01", "10.00"}}), {"10.00"}, "10.00", "0.00"},
        {"troco", venda({item("1.0000", "10.00", "A")}, {{"01", "50.00"}}), {"10.00"}, "10.00", "40.00"},
        {"T trunca 4,9995", venda({item("1.5000", "3.333", "T")}, {{"01", "10.00"}}), {"4.99"}, "4.99", "5.01"},
        {"A arredonda 4,9995", venda({item("1.5000", "3.333", "A")}, {{"01", "10.00"}}), {"5.00"}, "5.00", "5.00"},
        {"A meio para par abaixo", venda({item("0.5000", "0.25", "A")}, {{"01", "1.00"}}), {"0.12"}, "0.12", "0.88"},
        {"A meio para par acima", venda({item("0.5000", "0.35", "A")}, {{"01", "1.00"}}), {"0.18"}, "0.18", "0.82"},
        {"T meio truncado", venda({item("0.5000", "0.35", "T")}, {{"01", "1.00"}}), {"0.17"}, "0.17", "0.83"},
        {"desconto e outras do item", venda({item("2.0000", "10.00", "A", "1.50", "0.25")}, {{"01", "20.00"}}),
         {"18.75"}, "18.75", "1.25"},
        {"desconto no subtotal, sobra ao primeiro maior",
         venda({item("1.0000", "10.00", "A"), item("1.0000", "10.00", "A"), item("1.0000", "10.00", "A")},
               {{"01", "30.00"}}, "1.00"),
         {"9.66", "9.67", "9.67"}, "29.00", "1.00", {"0.34", "0.33", "0.33"}},
        {"acréscimo no subtotal, sobra ao maior",
         venda({item("1.0000", "1.00", "A"), item("1.0000", "2.00", "A")}, {{"01", "5.00"}}, "", "0.10"),
         {"1.03", "2.07"}, "3.10", "1.90", {"0.03", "0.07"}},
        {"rateio proporcional ao líquido do item",
         venda({item("1.0000", "10.00", "A", "2.00"), item("1.0000", "2.00", "A")}, {{"01", "10.00"}}, "0.05"),
         {"7.96", "1.99"}, "9.95", "0.05", {"0.04", "0.01"}},
        {"leiaute 0.07", [] { DadosVenda d; d.versao = "0.07"; return d; }(), {"10.00"}, "10.00", "0.00"},
        {"dois meios de pagamento", venda({item("1.0000", "10.00", "A")}, {{"01", "5.00"}, {"03", "6.00"}}),
         {"10.00"}, "10.00", "1.00"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        auto v = vender(caso.venda);
        ASSERT_EQ(v.size(), 12u) << v[3];
        const std::string xml = base64Decodificado(v[6]);
        EXPECT_EQ(xpath(xml, "//det/prod/vItem"), caso.vItem);
        EXPECT_EQ(v[9], caso.vCFe);
        EXPECT_EQ(xpath1(xml, "//total/vCFe"), caso.vCFe);
        EXPECT_EQ(xpath1(xml, "//pgto/vTroco"), caso.vTroco);
        if (!caso.rateio.empty()) {
            EXPECT_EQ(xpath(xml, caso.venda.vDescSubtot.empty() ? "//det/prod/vRatAcr" : "//det/prod/vRatDesc"), caso.rateio);
        }
    }
}

TEST_F(EmuladorTest, ImpostosPorGrupoESeusTotais)
{
    configurar("im", "123123");
    DadosVenda dv;
    dv.im = "123123";
    dv.itens = {ItemVenda{}, ItemVenda{}, ItemVenda{}};
    dv.itens[0].imposto = "<ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>18.00</pICMS></ICMS00></ICMS>"
                          "<PIS><PISAliq><CST>01</CST><vBC>10.00</vBC><pPIS>0.0165</pPIS></PISAliq></PIS>"
                          "<COFINS><COFINSAliq><CST>01</CST><vBC>10.00</vBC><pCOFINS>0.0760</pCOFINS></COFINSAliq></COFINS>";
    dv.itens[1].imposto = "<ICMS><ICMS40><Orig>0</Orig><CST>40</CST></ICMS40></ICMS>"
                          "<PIS><PISQtde><CST>03</CST><qBCProd>2.0000</qBCProd><vAliqProd>0.1234</vAliqProd></PISQtde></PIS>"
                          "<COFINS><COFINSNT><CST>04</CST></COFINSNT></COFINS>";
    dv.itens[2].imposto = "<ISSQN><vDeducISSQN>0.00</vDeducISSQN><vAliq>005.00</vAliq><cNatOp>01</cNatOp>"
                          "<indIncFisc>2</indIncFisc></ISSQN>"
                          "<PIS><PISSN><CST>49</CST></PISSN></PIS><COFINS><COFINSSN><CST>49</CST></COFINSSN></COFINS>";
    dv.pagamentos = {{"01", "30.00"}};
    auto v = vender(dv);
    ASSERT_EQ(v.size(), 12u) << v[3];
    const std::string xml = base64Decodificado(v[6]);
    EXPECT_EQ(xpath1(xml, "//det[1]//ICMS00/vICMS"), "1.80");
    EXPECT_EQ(xpath1(xml, "//det[1]//PISAliq/vPIS"), "0.16") << "0.165 rounds half to even";
    EXPECT_EQ(xpath1(xml, "//det[1]//COFINSAliq/vCOFINS"), "0.76");
    EXPECT_EQ(xpath1(xml, "//det[2]//PISQtde/vPIS"), "0.25");
    EXPECT_EQ(xpath1(xml, "//det[3]//ISSQN/vBC"), "10.00");
    EXPECT_EQ(xpath1(xml, "//det[3]//ISSQN/vISSQN"), "0.50");
    EXPECT_EQ(xpath1(xml, "//ICMSTot/vICMS"), "1.80");
    EXPECT_EQ(xpath1(xml, "//ICMSTot/vProd"), "20.00") << "service items count in ISSQNtot";
    EXPECT_EQ(xpath1(xml, "//ICMSTot/vPIS"), "0.41");
    EXPECT_EQ(xpath1(xml, "//ICMSTot/vCOFINS"), "0.76");
    EXPECT_EQ(xpath1(xml, "//ISSQNtot/vBC"), "10.00");
    EXPECT_EQ(xpath1(xml, "//ISSQNtot/vISS"), "0.50");
    EXPECT_EQ(xpath1(xml, "//total/vCFe"), "30.00");
}

TEST_F(EmuladorTest, NumeracaoESessoesSobrevivemAoReinicioDoProcesso)
{
    const std::string arquivo = pasta + "/resposta";
    pid_t filho = fork();
    ASSERT_GE(filho, 0);
    if (filho == 0) {
        BibliotecaSat sat;
        std::string xml = DadosVenda{}.xml();
        std::ofstream(arquivo) << sat.EnviarDadosVenda(7, kCodigo, xml.c_str());
        _exit(0);
    }
    int st = 0;
    ASSERT_EQ(waitpid(filho, &st, 0), filho);
    ASSERT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    std::string resposta;
    std::getline(std::ifstream(arquivo), resposta);
    auto v = campos(resposta.c_str());
    ASSERT_EQ(v.size(), 12u) << resposta;

    // This process never loaded the library before: everything comes from the state folder.
    EXPECT_EQ(status()[ULTIMO_CF_E_SAT], v[8].substr(3));
    EXPECT_EQ(std::string(sat().ConsultarNumeroSessao(sessao(), kCodigo, 7)), resposta);
    EXPECT_EQ(vender()[8].substr(34, 6), "000002");

    // And an unload and reload of the library in the same process changes nothing either.
    {
        BibliotecaSat outra;
        std::string xml = DadosVenda{}.xml();
        EXPECT_EQ(campos(outra.EnviarDadosVenda(sessao(), kCodigo, xml.c_str()))[8].substr(34, 6), "000003");
    }
    EXPECT_EQ(vender()[8].substr(34, 6), "000004");
}
