// Parsing the device's answers and status, and the lenient Base64 decoder.

#include "sat/OrvSATConfig.h"
#include "sat/OrvSATResposta.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orv;

namespace {

struct CasoResposta {
    const char* nome;
    const char* resposta;
    int numeroSessao, codigoDeRetorno, codigoDeErro;
    const char* mensagemRetorno;
    int codigoSEFAZ;
    const char* mensagemSEFAZ;
    std::size_t campos;
};

class Resposta : public ::testing::TestWithParam<CasoResposta> {};

TEST_P(Resposta, Campos) {
    const CasoResposta& c = GetParam();
    TOrvSATResposta r;
    r.setRetornoStr(c.resposta);
    EXPECT_EQ(r.numeroSessao(), c.numeroSessao);
    EXPECT_EQ(r.codigoDeRetorno(), c.codigoDeRetorno);
    EXPECT_EQ(r.codigoDeErro(), c.codigoDeErro);
    EXPECT_EQ(r.mensagemRetorno(), c.mensagemRetorno);
    EXPECT_EQ(r.codigoSEFAZ(), c.codigoSEFAZ);
    EXPECT_EQ(r.mensagemSEFAZ(), c.mensagemSEFAZ);
    EXPECT_EQ(r.RetornoLst().size(), c.campos);
    EXPECT_EQ(r.RetornoStr(), c.resposta);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, Resposta,
    ::testing::Values(
        CasoResposta{"venda_com_zeros", "123|06000|0000|Emitido com sucesso|||QUJD", 123, 6000, 0,
                     "Emitido com sucesso", 0, "", 7},
        CasoResposta{"status_sem_codigo_de_quatro_digitos", "5|10000|Resposta com Sucesso|||900004019",
                     5, 10000, 0, "Resposta com Sucesso", 0, "", 6},
        CasoResposta{"rejeicao_com_sefaz", "77|06010|1999| Erro nao identificado |12 | msg sefaz |x",
                     77, 6010, 1999, "Erro nao identificado", 0, "msg sefaz", 7},
        CasoResposta{"codigo_sefaz_numerico", "77|06010|1999|Rejeitado|123|Mensagem|", 77, 6010, 1999,
                     "Rejeitado", 123, "Mensagem", 7},
        CasoResposta{"sem_barra", "resposta qualquer", 0, 0, 0, "resposta qualquer", 0, "", 1},
        CasoResposta{"dois_campos", "1|2", 1, 2, 0, "1|2", 0, "", 2},
        CasoResposta{"barra_final", "1|2|", 1, 2, 0, "1|2|", 0, "", 3},
        CasoResposta{"curta_com_codigo", "9|06001|1234|Falha", 9, 6001, 1234, "9|06001|1234|Falha", 0,
                     "", 4},
        CasoResposta{"numeros_invalidos", "abc|6x000|12a4|m|s|ms", 0, 0, 0, "12a4", 0, "s", 6},
        CasoResposta{"vazia", "", 0, 0, 0, "", 0, "", 0}),
    [](const auto& info) { return std::string(info.param.nome); });

// Fields 0..26 (27) of a status answer; with `listaFinal` one more field at 22.
std::string status(const std::string& estado, bool listaFinal, const std::string& bateria = "ALTO",
                   const std::string& lan = "CONECTADO") {
    std::string r = "321|10000|Resposta com Sucesso|||900004019|PPPoE|10.0.0.5|00:11:22:33:44:55|"
                    "255.255.255.0|10.0.0.1|8.8.8.8|8.8.4.4|" + lan + "|" + bateria +
                    "|4 GB|1 MB|20241031235958|01.00.00|0.08|35241008723218000186599000040190000010000019|"
                    "35240108723218000186599000040190000010000010|";
    if (listaFinal)
        r += "35241008723218000186599000040190000010000019|";
    return r + "20241031120000|20241030|20230101000000|  20281231000000 |" + estado;
}

} // namespace

TEST(Status, VinteESeteCamposSemListaFinal) {
    TOrvSATResposta r;
    r.setRetornoStr(status("DESBLOQUEADO", false));
    ASSERT_EQ(r.RetornoLst().size(), 27u);
    TOrvSATStatus s;
    TRede rede;
    lerStatusOperacional(r, s, rede);
    EXPECT_EQ(s.NSERIE, "900004019");
    EXPECT_EQ(s.LAN_MAC, "00:11:22:33:44:55");
    EXPECT_EQ(s.STATUS_LAN, TOrvSATStatusLan::lanCONECTADO);
    EXPECT_EQ(s.NIVEL_BATERIA, TOrvSATNivelBateria::batALTO);
    EXPECT_EQ(s.MT_TOTAL, "4 GB");
    EXPECT_EQ(s.MT_USADA, "1 MB");
    EXPECT_EQ(s.DH_ATUAL, codificarDataHora(2024, 10, 31, 23, 59, 58));
    EXPECT_EQ(s.VER_SB, "01.00.00");
    EXPECT_EQ(s.VER_LAYOUT, "0.08");
    EXPECT_EQ(s.ULTIMO_CFe, "35241008723218000186599000040190000010000019");
    EXPECT_EQ(s.LISTA_INICIAL, "35240108723218000186599000040190000010000010");
    EXPECT_EQ(s.LISTA_FINAL, "");
    EXPECT_EQ(s.DH_CFe, codificarDataHora(2024, 10, 31, 12, 0, 0));
    EXPECT_EQ(s.DH_ULTIMA, codificarData(2024, 10, 30));  // date only: midnight
    EXPECT_EQ(s.CERT_EMISSAO, codificarData(2023, 1, 1));
    EXPECT_EQ(s.CERT_VENCIMENTO, codificarData(2028, 12, 31));
    EXPECT_EQ(s.ESTADO_OPERACAO, TOrvSATEstadoOperacao::opDESBLOQUEADO);
    EXPECT_EQ(rede.tipoLan, TTipoLan::lanPPPoE);
    EXPECT_EQ(rede.lanIP, "10.0.0.5");
    EXPECT_EQ(rede.lanMask, "255.255.255.0");
    EXPECT_EQ(rede.lanGW, "10.0.0.1");
    EXPECT_EQ(rede.lanDNS1, "8.8.8.8");
    EXPECT_EQ(rede.lanDNS2, "8.8.4.4");
}

TEST(Status, VinteEOitoCamposDeslocamAPartirDoCampo22) {
    TOrvSATResposta r;
    r.setRetornoStr(status("2", true));
    ASSERT_EQ(r.RetornoLst().size(), 28u);
    TOrvSATStatus s;
    TRede rede;
    lerStatusOperacional(r, s, rede);
    EXPECT_EQ(s.LISTA_FINAL, "35241008723218000186599000040190000010000019");
    EXPECT_EQ(s.DH_CFe, codificarDataHora(2024, 10, 31, 12, 0, 0));
    EXPECT_EQ(s.CERT_VENCIMENTO, codificarData(2028, 12, 31));
    EXPECT_EQ(s.ESTADO_OPERACAO, TOrvSATEstadoOperacao::opBLOQUEIO_CONTRIBUINTE);
}

TEST(Status, TextosDosEstadosEDaBateria) {
    struct Caso {
        const char* estado;
        TOrvSATEstadoOperacao esperado;
        const char* bateria;
        TOrvSATNivelBateria bateriaEsperada;
        const char* lan;
        TOrvSATStatusLan lanEsperada;
    } casos[] = {
        {"bloqueio_sefaz", TOrvSATEstadoOperacao::opBLOQUEIO_SEFAZ, "baixo",
         TOrvSATNivelBateria::batBAIXO, "conectado", TOrvSATStatusLan::lanCONECTADO},
        {"4", TOrvSATEstadoOperacao::opBLOQUEIO_DESATIVACAO, "Medio", TOrvSATNivelBateria::batMEDIO,
         "NAO_CONECTADO", TOrvSATStatusLan::lanNAO_CONECTADO},
        {"outro", TOrvSATEstadoOperacao::opDESBLOQUEADO, "cheia", TOrvSATNivelBateria::batALTO, "",
         TOrvSATStatusLan::lanNAO_CONECTADO},
        {"", TOrvSATEstadoOperacao::opDESBLOQUEADO, "", TOrvSATNivelBateria::batALTO, "x",
         TOrvSATStatusLan::lanNAO_CONECTADO},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.estado);
        TOrvSATResposta r;
        r.setRetornoStr(status(c.estado, false, c.bateria, c.lan));
        TOrvSATStatus s;
        TRede rede;
        lerStatusOperacional(r, s, rede);
        EXPECT_EQ(s.ESTADO_OPERACAO, c.esperado);
        EXPECT_EQ(s.NIVEL_BATERIA, c.bateriaEsperada);
        EXPECT_EQ(s.STATUS_LAN, c.lanEsperada);
    }
    EXPECT_EQ(TOrvSATStatus::EstadoOperacaoToStr(TOrvSATEstadoOperacao::opBLOQUEIO_AUTONOMO),
              "BLOQUEIO_AUTONOMO");
    EXPECT_EQ(TOrvSATStatus::EstadoOperacaoToStr(static_cast<TOrvSATEstadoOperacao>(9)), "");
    EXPECT_EQ(TOrvSATStatus::NivelBateriaToStr(TOrvSATNivelBateria::batMEDIO), "MEDIO");
    EXPECT_EQ(TOrvSATStatus::StatusLanToStr(TOrvSATStatusLan::lanNAO_CONECTADO), "NAO_CONECTADO");
    bool ok = true;
    EXPECT_EQ(TOrvSATStatus::StrToNivelBateria(ok, "nada"), TOrvSATNivelBateria::batALTO);
    EXPECT_FALSE(ok);
    EXPECT_EQ(TOrvSATStatus::StrToEstadoOperacao(ok, "Bloqueio_Autonomo"),
              TOrvSATEstadoOperacao::opBLOQUEIO_AUTONOMO);
    EXPECT_TRUE(ok);
}

TEST(Status, RespostaCurtaFalhaComErroDeIndice) {
    TOrvSATResposta r;
    r.setRetornoStr("1|10000|0000|ok|0||900004019|DHCP");
    TOrvSATStatus s;
    TRede rede;
    EXPECT_THROW(lerStatusOperacional(r, s, rede), std::out_of_range);
    r.setRetornoStr(status("0", false).substr(0, status("0", false).rfind('|')));  // 26 fields
    EXPECT_THROW(lerStatusOperacional(r, s, rede), std::out_of_range);
}

TEST(Status, DataHora) {
    EXPECT_EQ(lerDataHoraStatus("20240229"), codificarData(2024, 2, 29));
    EXPECT_EQ(lerDataHoraStatus("20240229xx3015"), codificarDataHora(2024, 2, 29, 0, 30, 15));
    EXPECT_EQ(lerDataHoraStatus(" 20241231235959 "), codificarDataHora(2024, 12, 31, 23, 59, 59));
    for (const char* invalida : {"", "2023022912", "ABCD0101", "20241301", "2024", "00000000"})
        EXPECT_EQ(lerDataHoraStatus(invalida), 0) << invalida;
}

TEST(Base64, Tolerante) {
    EXPECT_EQ(decodificarBase64("PENGZT4="), "<CFe>");
    EXPECT_EQ(decodificarBase64("PEN\r\nGZT4"), "<CFe>");       // line break, no padding
    EXPECT_EQ(decodificarBase64(" P E N G Z T 4 = = "), "<CFe>");
    EXPECT_EQ(decodificarBase64("QQ"), "A");                      // incomplete final group
    EXPECT_EQ(decodificarBase64("QUI"), "AB");
    EXPECT_EQ(decodificarBase64("Q"), "");
    EXPECT_EQ(decodificarBase64("//79"), "\xff\xfe\xfd");
    EXPECT_EQ(decodificarBase64("*"), "");
}
