// orvane-tool cfe ler / gerar / cancelamento, run as a program.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

struct Saida {
    int status = -1;
    std::string out, err;
};

std::string lerArquivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class Ferramenta : public ::testing::Test {
protected:
    void SetUp() override {
        pasta = fs::temp_directory_path() /
                ("orv_tool_cfe_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(pasta);
    }
    void TearDown() override { fs::remove_all(pasta); }

    Saida rodar(const std::string& args) {
        const fs::path o = pasta / "out", e = pasta / "err";
        const std::string cmd = std::string("'") + ORVANE_TOOL + "' " + args + " >'" +
                                o.string() + "' 2>'" + e.string() + "'";
        const int r = std::system(cmd.c_str());
        Saida s;
        s.status = WIFEXITED(r) ? WEXITSTATUS(r) : -1;
        s.out = lerArquivo(o);
        s.err = lerArquivo(e);
        return s;
    }
    static std::string dado(const std::string& nome) {
        return "'" + std::string(ORVANE_TEST_DATA) + "/" + nome + "'";
    }
    std::string gravar(const std::string& nome, const std::string& bytes) {
        const fs::path p = pasta / nome;
        std::ofstream(p, std::ios::binary) << bytes;
        return "'" + p.string() + "'";
    }

    fs::path pasta;
};

const std::string chave = "35240311111111000191590000123450001234567893";

} // namespace

TEST_F(Ferramenta, LerPrintsTheSaleModelAsJson) {
    const Saida s = rodar("cfe ler " + dado("cfe_autorizado.xml"));
    ASSERT_EQ(s.status, 0) << s.err;
    const Json j = Json::parse(s.out);
    EXPECT_EQ(j["infCFe"]["ID"], chave);
    EXPECT_DOUBLE_EQ(j["infCFe"]["versao"].get<double>(), 0.08);
    EXPECT_EQ(j["ide"]["nCFe"], 123);
    EXPECT_EQ(j["ide"]["dEmi"], "2024-03-05");
    EXPECT_EQ(j["ide"]["hEmi"], "14:30:15");
    EXPECT_EQ(j["ide"]["tpAmb"], "2");
    EXPECT_EQ(j["Emit"]["xNome"], "Padaria São João Ltda");
    EXPECT_EQ(j["Emit"]["cRegTrib"], "3");
    EXPECT_EQ(j["Emit"]["EnderEmit"]["CEP"], 1001000);
    EXPECT_DOUBLE_EQ(j["Total"]["vCFe"].get<double>(), 77.99);
    EXPECT_DOUBLE_EQ(j["Total"]["ISSQNtot"]["vPISST"].get<double>(), 2.0);
    ASSERT_EQ(j["Det"].size(), 3u);
    EXPECT_EQ(j["Det"][1]["nItem"], 2);
    EXPECT_EQ(j["Det"][1]["Prod"]["indRegra"], "T");
    EXPECT_EQ(j["Det"][1]["Imposto"]["ICMS"]["CST"], "60");
    EXPECT_EQ(j["Det"][0]["Prod"]["obsFiscoDet"][1]["xTextoDet"], "L-9");
    ASSERT_EQ(j["Pagto"]["MP"].size(), 2u);
    EXPECT_EQ(j["Pagto"]["MP"][1]["cMP"], "03");
    EXPECT_DOUBLE_EQ(j["Pagto"]["vTroco"].get<double>(), 2.01);
    EXPECT_EQ(j["obsFisco"].size(), 2u);
    EXPECT_EQ(j["signature"]["SignatureValue"], "c2lnbmF0dXJlLXZhbHVlLW5vdC12YWxpZA==");
    EXPECT_FALSE(j.contains("XMLOriginal"));
}

TEST_F(Ferramenta, LerTellsACancellationByItsRoot) {
    const Saida s = rodar("cfe ler " + dado("canc_autorizado.xml"));
    ASSERT_EQ(s.status, 0) << s.err;
    const Json j = Json::parse(s.out);
    EXPECT_EQ(j["infCFe"]["chCanc"], "CFe" + chave);
    EXPECT_EQ(j["infCFe"]["dEmi"], "2024-03-05");
    EXPECT_EQ(j["infCFe"]["hEmi"], "15:00:00");
    EXPECT_EQ(j["ide"]["numeroCaixa"], 2);
    EXPECT_DOUBLE_EQ(j["Total"]["vCFe"].get<double>(), 77.99);
    EXPECT_FALSE(j.contains("Det"));
}

TEST_F(Ferramenta, BadInputExitsOneWithOneLine) {
    struct Caso { std::string args; const char* trecho; };
    const Caso casos[] = {
        {"cfe ler '" + (pasta / "nao_existe.xml").string() + "'", "nao_existe.xml"},
        {"cfe ler " + dado("nfe.xml"), "<NFe>"},
        {"cfe ler " + dado("texto.txt"), "nenhum elemento"},
        {"cfe ler " + dado("truncado.xml"), "</CFe>"},
        {"cfe ler " + dado("data_invalida.xml"), "dEmi"},
        {"cfe gerar " + dado("data_invalida.xml"), "dEmi"},
        {"cfe cancelamento " + dado("canc_autorizado.xml"), "cancelamento"},
        {"cfe cancelamento " + dado("truncado.xml"), "</CFe>"},
        {"cfe gerar " + dado("cfe_autorizado.xml") + " --identar x", "identar"},
        {"cfe ler", "ARQUIVO"},
    };
    for (const Caso& c : casos) {
        const Saida s = rodar(c.args);
        EXPECT_EQ(s.status, 1) << c.args;
        EXPECT_EQ(s.out, "") << c.args;
        ASSERT_FALSE(s.err.empty()) << c.args;
        EXPECT_EQ(s.err.find('\n'), s.err.size() - 1) << c.args << ": " << s.err;
        EXPECT_NE(s.err.find(c.trecho), std::string::npos) << c.args << ": " << s.err;
    }
}

TEST_F(Ferramenta, EveryCommandHasHelp) {
    for (const char* args : {"--help", "cfe --help", "cfe ler --help", "cfe gerar --help",
                             "cfe cancelamento --help"}) {
        const Saida s = rodar(args);
        EXPECT_EQ(s.status, 0) << args;
        EXPECT_NE(s.out.find("Usage"), std::string::npos) << args;
    }
}

TEST_F(Ferramenta, GerarWritesTheEntryDocumentOrTheCompleteOne) {
    Saida s = rodar("cfe gerar " + dado("cfe_autorizado.xml"));
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(s.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt="
                          "\"0.08\"><ide><CNPJ>16716114000172</CNPJ>",
                          0),
              0u)
        << s.out.substr(0, 200);
    EXPECT_EQ(s.out.find("<nCFe>"), std::string::npos);  // the device's part is left out

    s = rodar("cfe gerar --completo --identar 3 " + dado("cfe_autorizado.xml"));
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_NE(s.out.find("\r\n   <infCFe "), std::string::npos);
    EXPECT_NE(s.out.find("<nCFe>000123</nCFe>"), std::string::npos);

    // The complete document reads back to the same model.
    const std::string copia = gravar("copia.xml", s.out);
    Json original = Json::parse(rodar("cfe ler " + dado("cfe_autorizado.xml")).out);
    Json relido = Json::parse(rodar("cfe ler " + copia).out);
    // The writer points the signature's reference at the key's digits.
    original["signature"].erase("URI");
    relido["signature"].erase("URI");
    // ...and folds accented letters, as every document it writes.
    EXPECT_EQ(relido["Emit"]["xNome"], "Padaria Sao Joao Ltda");
    original["Emit"]["xNome"] = "Padaria Sao Joao Ltda";
    EXPECT_EQ(relido, original);
}

TEST_F(Ferramenta, CancelamentoBuildsTheRequestOfTheSale) {
    const Saida s = rodar("cfe cancelamento " + dado("cfe_autorizado.xml"));
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(s.out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFeCanc><infCFe chCanc=\"CFe" +
                         chave +
                         "\"><ide><CNPJ>16716114000172</CNPJ><signAC>SGR-SAT SISTEMA DE GESTAO E "
                         "RETAGUARDA DO SAT</signAC><numeroCaixa>001</numeroCaixa></ide><emit>"
                         "</emit><dest></dest><total></total></infCFe></CFeCanc>");

    // An entry document has no key yet: nothing to cancel.
    const std::string entrada = gravar("entrada.xml", rodar("cfe gerar " + dado("cfe_autorizado.xml")).out);
    const Saida e = rodar("cfe cancelamento " + entrada);
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.err.find("chave"), std::string::npos) << e.err;
}

TEST_F(Ferramenta, LerHandlesACouponOf500Items) {
    std::string dets;
    for (int i = 1; i <= 500; ++i)
        dets += "<det nItem=\"" + std::to_string(i) + "\"><prod><cProd>" + std::to_string(i) +
                "</cProd><qCom>2.0000</qCom><vUnCom>1.50</vUnCom><vItem>3.00</vItem></prod>"
                "<imposto><ICMS><ICMSSN102><Orig>0</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS>"
                "</imposto></det>";
    const std::string arq = gravar(
        "grande.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe" + chave +
                          "\" versao=\"0.08\"><ide><nserieSAT>1</nserieSAT></ide>" + dets +
                          "<total><vCFe>1500.00</vCFe></total></infCFe></CFe>");
    const Saida s = rodar("cfe ler " + arq);
    ASSERT_EQ(s.status, 0) << s.err;
    const Json j = Json::parse(s.out);
    ASSERT_EQ(j["Det"].size(), 500u);
    EXPECT_EQ(j["Det"][499]["Prod"]["cProd"], "500");
    EXPECT_EQ(j["Det"][499]["Imposto"]["ICMS"]["CSOSN"], "102");
    EXPECT_DOUBLE_EQ(j["Total"]["vCFe"].get<double>(), 1500.0);
}
