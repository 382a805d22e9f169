#include "support/Log.h"

#include "PastaTemp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

using namespace orv;
using orv::teste::lerBytes;
using orv::teste::PastaTemp;

namespace {

// A log box that records what it was asked to do and can refuse lines on purpose.
class ViewGravadora : public TLogView {
public:
    struct Linha {
        std::string texto;
        TColor cor;
    };
    std::vector<Linha> caixa;
    int tentativas = 0, limpezas = 0, piscadas = 0, eventos = 0;
    int falharProximas = 0; // the next attempts fail (a negative number: throw instead)
    std::vector<std::string> mensagens;

    int linhas() const override {
        int n = 0;
        for (const auto& l : caixa)
            n += 1 + static_cast<int>(std::count(l.texto.begin(), l.texto.end(), '\n'));
        return n;
    }
    void limpar() override {
        ++limpezas;
        caixa.clear();
    }
    bool adicionarLinha(const std::string& linha, TColor cor) override {
        ++tentativas;
        if (falharProximas > 0) {
            --falharProximas;
            return false;
        }
        if (falharProximas < 0) {
            ++falharProximas;
            throw std::runtime_error("caixa ocupada");
        }
        caixa.push_back({linha, cor});
        return true;
    }
    void piscar() override { ++piscadas; }
    void processarEventos() override { ++eventos; }
    void mostrarMensagem(const std::string& texto) override { mensagens.push_back(texto); }
};

class LogTest : public ::testing::Test {
protected:
    PastaTemp tmp;
    ViewGravadora view;
    TSatLog log{tmp.base(), &view};
    TDateTime momento = codificarDataHora(2024, 12, 10, 14, 3, 59);

    void SetUp() override {
        log.setRelogio([this] { return momento; });
    }
    std::string arquivo() const { return log.arquivoLog(momento); }
};

TEST_F(LogTest, LineGoesToBoxAndDailyFile) {
    log.satlog("Banco de dados conectado.", clGreen);
    ASSERT_EQ(view.caixa.size(), 1u);
    EXPECT_EQ(view.caixa[0].texto, "10.12.24 - 14:03:59 - Banco de dados conectado.");
    EXPECT_EQ(view.caixa[0].cor, clGreen);
    EXPECT_EQ(view.piscadas, 0);
    EXPECT_EQ(view.eventos, 1);

    EXPECT_EQ(arquivo(), tmp.base() + "SATCFe/24-12-10/LOGs/SATCFe-241210.LOG");
    log.satlog("Ação concluída");
    // 8-bit Windows-1252 text with CR LF, appended line by line.
    EXPECT_EQ(lerBytes(arquivo()), "10.12.24 - 14:03:59 - Banco de dados conectado.\r\n"
                                   "10.12.24 - 14:03:59 - A\xE7\xE3o conclu\xED"
                                   "da\r\n");
}

TEST_F(LogTest, ColourBlinkingAndBlankMessages) {
    struct Caso {
        const char* msg;
        TColor pedida, mostrada;
        bool pisca;
    } casos[] = {
        {"Erro: sem conexão", clBlack, clRed, true},
        {"Erro:x", clBlue, clRed, true},
        {"erro: minúscula", clBlack, clBlack, false},
        {" Erro: com blank antes", clBlack, clBlack, false},
        {"Erro sem dois pontos", clBlack, clBlack, false},
        {"Falhou", clRed, clRed, true},
        {"Orvane Ativado.", clBlue, clBlue, false},
    };
    for (const auto& c : casos) {
        view = ViewGravadora{};
        log.satlog(c.msg, c.pedida);
        ASSERT_EQ(view.caixa.size(), 1u) << c.msg;
        EXPECT_EQ(view.caixa[0].cor, c.mostrada) << c.msg;
        EXPECT_EQ(view.piscadas, c.pisca ? 1 : 0) << c.msg;
    }

    view = ViewGravadora{};
    const std::string antes = lerBytes(arquivo());
    for (const char* branco : {"", "   ", " \t\r\n "})
        log.satlog(branco, clRed, true);
    EXPECT_TRUE(view.caixa.empty());
    EXPECT_EQ(view.piscadas + view.eventos + static_cast<int>(view.mensagens.size()), 0);
    EXPECT_EQ(lerBytes(arquivo()), antes);
}

TEST_F(LogTest, FileOnlyLinesAndMessageBox) {
    log.satlog("Erro: só no arquivo", clBlack, true, false);
    EXPECT_TRUE(view.caixa.empty());
    EXPECT_EQ(view.piscadas, 0);
    EXPECT_TRUE(view.mensagens.empty());
    EXPECT_NE(lerBytes(arquivo()).find("s\xF3 no arquivo\r\n"), std::string::npos);

    log.satlog("Erro: configure o banco", clBlack, true);
    ASSERT_EQ(view.mensagens.size(), 1u);
    EXPECT_EQ(view.mensagens[0], "Erro: configure o banco"); // without the time stamp

    // Without a box only the file is written.
    TSatLog semTela(tmp.base());
    semTela.setRelogio([this] { return momento; });
    semTela.satlog("Erro: sozinho");
    EXPECT_NE(lerBytes(arquivo()).find("Erro: sozinho\r\n"), std::string::npos);
}

TEST_F(LogTest, BoxClearedAboveAThousandLines) {
    for (int i = 0; i < 1000; ++i)
        view.caixa.push_back({"x", clBlack});
    log.satlog("mil e uma");
    EXPECT_EQ(view.limpezas, 0); // 1000 lines before: not more than 1000
    ASSERT_EQ(view.caixa.size(), 1001u);
    log.satlog("mil e duas");
    EXPECT_EQ(view.limpezas, 1);
    ASSERT_EQ(view.caixa.size(), 1u);
    EXPECT_EQ(view.caixa[0].texto, "10.12.24 - 14:03:59 - mil e duas");

    // A message with line breaks counts as several lines.
    view = ViewGravadora{};
    for (int i = 0; i < 500; ++i)
        view.caixa.push_back({"a\nb", clBlack});
    view.caixa.push_back({"c", clBlack});
    log.satlog("depois");
    EXPECT_EQ(view.limpezas, 1);
    EXPECT_EQ(view.caixa.size(), 1u);
}

TEST_F(LogTest, ThreeAttemptsThenClearAndRetry) {
    struct Caso {
        int falhas;
        int tentativas, limpezas;
        bool mostrada;
    } casos[] = {
        {2, 3, 0, true},  // the third attempt succeeds
        {-2, 3, 0, true}, // thrown failures count the same
        {3, 4, 1, true},  // three failures: cleared, fourth succeeds
        {4, 4, 1, false}, // the retry fails too: silent, the file still gets it
    };
    for (const auto& c : casos) {
        view = ViewGravadora{};
        view.caixa.push_back({"antiga", clBlack});
        view.falharProximas = c.falhas;
        log.satlog("linha teimosa " + std::to_string(c.falhas));
        EXPECT_EQ(view.tentativas, c.tentativas) << c.falhas;
        EXPECT_EQ(view.limpezas, c.limpezas) << c.falhas;
        EXPECT_EQ(!view.caixa.empty() &&
                      view.caixa.back().texto.ends_with("teimosa " + std::to_string(c.falhas)),
                  c.mostrada)
            << c.falhas;
        EXPECT_NE(lerBytes(arquivo()).find("teimosa " + std::to_string(c.falhas) + "\r\n"),
                  std::string::npos);
    }
}

TEST_F(LogTest, AfterMidnightGoesToTheNewDay) {
    momento = codificarDataHora(2024, 12, 10, 23, 59, 59);
    log.satlog("antes");
    momento = codificarDataHora(2024, 12, 11, 0, 0, 1);
    log.satlog("depois");
    EXPECT_EQ(lerBytes(tmp.base() + "SATCFe/24-12-10/LOGs/SATCFe-241210.LOG"),
              "10.12.24 - 23:59:59 - antes\r\n");
    EXPECT_EQ(lerBytes(tmp.base() + "SATCFe/24-12-11/LOGs/SATCFe-241211.LOG"),
              "11.12.24 - 00:00:01 - depois\r\n");
}

TEST_F(LogTest, UnwritableFileIsIgnored) {
    // A plain file where the SATCFe folder should be makes every write fail.
    orv::teste::gravarBytes(tmp.base() + "SATCFe", "estorvo");
    log.satlog("Erro: disco cheio");
    ASSERT_EQ(view.caixa.size(), 1u);
    EXPECT_EQ(view.piscadas, 1);
    EXPECT_FALSE(std::filesystem::exists(arquivo()));
}

TEST_F(LogTest, SatFilterSendsBulkyLinesToFileOnly) {
    struct Caso {
        const char* linha;
        bool naTela;
        const char* escrita;
    } casos[] = {
        {"OrvSAT.ConsultarStatus ok OrvSAT.x", true, "SAT.ConsultarStatus ok SAT.x"},
        {"OrvSAT.EnviarDadosVenda(<CFe>...)", false, "SAT.EnviarDadosVenda(<CFe>...)"},
        {"CancelarUltimaVenda", false, "CancelarUltimaVenda"},
        {"123|Cupom cancelado com sucesso", false, "123|Cupom cancelado com sucesso"},
        {"Emitido com sucesso", false, "Emitido com sucesso"},
        {"1|10000|Resposta com Sucesso", false, "1|10000|Resposta com Sucesso"},
        {"Erro: OrvSAT.falhou", true, "Erro: SAT.falhou"},
    };
    for (const auto& c : casos) {
        view = ViewGravadora{};
        log.satLogFiltro(c.linha);
        EXPECT_EQ(view.caixa.size(), c.naTela ? 1u : 0u) << c.linha;
        EXPECT_NE(lerBytes(arquivo()).find(std::string("- ") + c.escrita + "\r\n"),
                  std::string::npos)
            << c.linha;
    }
    EXPECT_EQ(view.caixa.back().cor, clRed);
}

TEST_F(LogTest, SatSetUpFolders) {
    const TPastasSAT p = calcularPastasSAT(log, codificarDataHora(2024, 12, 10, 13, 45, 10));
    const std::string dia = tmp.base() + "SATCFe/24-12-10/";
    EXPECT_EQ(p.PastaCFeVenda, dia + "Enviados");
    EXPECT_EQ(p.PastaCFeCancelamento, dia + "Cancelados");
    EXPECT_EQ(p.PastaEnvio, dia + "LOGs");
    EXPECT_EQ(p.ArqLOG, dia + "LOGs/satcfe_20241210_0049510000.log");
    EXPECT_EQ(calcularPastasSAT(log, codificarDataHora(2024, 12, 11, 0, 0, 1)).ArqLOG,
              tmp.base() + "SATCFe/24-12-11/LOGs/satcfe_20241211_0000001000.log");
    EXPECT_EQ(calcularPastasSAT(log, codificarDataHora(2024, 12, 11, 23, 59, 59)).ArqLOG,
              tmp.base() + "SATCFe/24-12-11/LOGs/satcfe_20241211_0086399000.log");
}

} // namespace
