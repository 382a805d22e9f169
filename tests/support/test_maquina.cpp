#include "support/Maquina.h"

#include "PastaTemp.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orv;
using orv::teste::PastaTemp;

namespace {

// Points the registry stand-in at a file for the life of the object.
class RegistroDeTeste {
public:
    explicit RegistroDeTeste(const std::string& arquivo) {
        if (const char* v = std::getenv("ORVANE_REGISTRO")) fAntes = v, fTinha = true;
        setenv("ORVANE_REGISTRO", arquivo.c_str(), 1);
    }
    ~RegistroDeTeste() {
        if (fTinha)
            setenv("ORVANE_REGISTRO", fAntes.c_str(), 1);
        else
            unsetenv("ORVANE_REGISTRO");
    }

private:
    std::string fAntes;
    bool fTinha = false;
};

TEST(Maquina, RegistryStandInFile) {
    PastaTemp tmp;
    const std::string arq = tmp / "registro.ini";
    orv::teste::gravarBytes(arq, "[HKEY_CURRENT_USER\\SOFTWARE\\Brenholt\\Vendara]\r\n"
                                 "EmissorCupomFiscal=2\r\n"
                                 "Caixa = 07 \r\n"
                                 "@=padrão\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenholt\\Vendara]\r\n"
                                 "Caixa=99\r\n");
    RegistroDeTeste registro(arq);
    EXPECT_EQ(arquivoRegistro(), arq);

    const auto v = lerRegistro(RaizRegistro::CurrentUser,
                               {"\\SOFTWARE\\Brenholt\\Vendara;EmissorCupomFiscal",
                                "software\\brenholt\\vendara;CAIXA", // names without case
                                "\\SOFTWARE\\Brenholt\\Vendara;Falta", "\\SOFTWARE\\Outra;Caixa",
                                "sem ponto e vírgula", "\\SOFTWARE\\Brenholt\\Vendara\\;"});
    EXPECT_EQ(v, (std::vector<std::string>{"2", "07", "", "", "", "padrão"}));
    // Another root is another tree.
    EXPECT_EQ(lerRegistro(RaizRegistro::LocalMachine, {"SOFTWARE\\Brenholt\\Vendara;Caixa"}),
              (std::vector<std::string>{"99"}));
    // The processor name is answered by the system when the file does not hold it.
    EXPECT_EQ(
        lerRegistro(RaizRegistro::LocalMachine,
                    {"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0;ProcessorNameString"}),
        (std::vector<std::string>{nomeProcessador()}));

    // No file: every entry reads as empty.
    RegistroDeTeste semArquivo(tmp / "nao-existe.ini");
    EXPECT_EQ(lerRegistro(RaizRegistro::CurrentUser, {"\\SOFTWARE\\Brenholt\\Vendara;Caixa"}),
              (std::vector<std::string>{""}));
}

TEST(Maquina, HostFacts) {
    std::string nome, ip, erro;
    ASSERT_TRUE(nomeEIpLocal(nome, ip, erro)) << erro;
    EXPECT_FALSE(nome.empty());
    int a, b, c, d;
    char resto;
    EXPECT_EQ(std::sscanf(ip.c_str(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &resto), 4) << ip;

    TMemoria mem;
    ASSERT_TRUE(memoriaFisica(mem));
    EXPECT_GT(mem.total, 16u * 1024 * 1024);
    EXPECT_LE(mem.disponivel, mem.total);

    EXPECT_NE(descricaoSO().find("(Version "), std::string::npos) << descricaoSO();
}

TEST(Maquina, DescriptionsAndArchitecture) {
    EXPECT_EQ(formatarDescricaoSO("Windows 7 Professional", 6, 1, 7601, 1, true),
              "Windows 7 Professional Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)");
    EXPECT_EQ(formatarDescricaoSO("Windows 10 Pro", 10, 0, 19045, 0, false),
              "Windows 10 Pro (Version 10.0, Build 19045, 32-bit Edition)");
    EXPECT_EQ(arquiteturaSO(Arquitetura::Intel32), "Win32NT");
    EXPECT_EQ(arquiteturaSO(Arquitetura::Intel64), "Win64NT");
    EXPECT_EQ(arquiteturaSO(Arquitetura::Outra), "UNKNOWN OS architecture");
#if defined(__x86_64__)
    EXPECT_EQ(arquiteturaSO(), "Win64NT");
#endif
}

} // namespace
