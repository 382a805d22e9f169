// The schemas hold every table and column the program's statements name, and the queue
// statements find their rows by index however many finished rows the queue keeps.

#include <gtest/gtest.h>

#include "BancoTeste.h"

using namespace orv;
using namespace orv::teste;

namespace {

struct Comando {
    const char* nome;
    const char* sql;
};

void executarTodos(TBancoTeste& banco, const Comando* inicio, const Comando* fim) {
    TConsulta q(&banco.conexao());
    for (const Comando* c = inicio; c != fim; ++c) {
        SCOPED_TRACE(c->nome);
        q.SQL = c->sql;
        try {
            q.Open();
        } catch (const EBancoDados& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

const Comando kVendara[] = {
    {"fila", "SELECT CFIVMFNFC AS CFIVMFFIS, CFIVSWNFC AS CFIVSWFIS, CFICMDNFC AS CFICMDFIS, "
             "CFIPRCNFC AS CFIPRCFIS, CFITIPNFC AS CFITIPFIS, CFIORINFC AS CFIORIFIS, CFIOPENFC "
             "AS CFIOPEFIS, CFINLJNFC AS CFINLJFIS, CFIDATNFC AS CFIDATFIS, CFIDTCNFC AS "
             "CFIDTCFIS, CFIXMLNFC AS CFIXMLFIS, CFIXMCNFC AS CFIXMCFIS, CFIECFNFC AS CFIECFFIS, "
             "CFINCFNFC AS CFIDOCFIS, CFINSENFC AS CFISERFIS, CFIENVNFC AS CFIENVFIS, SR_RECNO "
             "FROM ZVNFCCFI WHERE CFITIPNFC = 'SAT' AND CFIECFNFC = 1 AND CFIPRCNFC = 'EN' AND "
             "CFINCFNFC = 0 ORDER BY SR_RECNO LIMIT 5"},
    {"contadores", "SELECT COUNT( CASE WHEN (     CFIDTCNFC IS NULL ) THEN 1 ELSE NULL END ) AS "
                   "CFE_EMITIDOS, COUNT( CASE WHEN ( NOT CFIDTCNFC IS NULL ) THEN 1 ELSE NULL END "
                   ") AS CFE_CANCELADOS, COALESCE( MAX(CFINCFNFC), 0 ) AS FIS_ULTIMO_NFC FROM "
                   "ZVNFCCFI WHERE ( CFITIPNFC = 'SAT' ) AND ( CFIECFNFC = 1 ) AND ( CFIDATNFC = "
                   "CURRENT_DATE ) AND ( CFINCFNFC <> 0 )"},
    {"config_sat", "SELECT * FROM ZVEDFCFI WHERE ( CFITIPEDF = 'SAT' ) AND ( CFICODEDF = 1 ) "
                   "LIMIT 1"},
    {"config_vd", "SELECT CFIVALCFG, CFIVA1CFG, CFIVA2CFG FROM ZVCFGCFI WHERE CFICMPCFG = "
                  "'CFINLJCFG' LIMIT 1"},
    {"teste_remoto", "SELECT 'SAT' AS CFITABFIS, CFIVMFNFC AS CFIVMFFIS, CFITIPNFC AS "
                     "CFIPRCFIS, ZVNFCCFI.SR_RECNO AS SR_RECNO FROM ZVNFCCFI WHERE ( CFITIPNFC = "
                     "'SAT' ) AND ( CFIPRCNFC = 'TS' ) AND ( CFIECFNFC = 1 )"},
    {"backup", "SELECT * FROM ZVNFCCFI WHERE CFIBK1NFC IN ( 'E', 'C' ) AND CFITIPNFC = 'SAT' AND "
               "CFIECFNFC = 1 ORDER BY SR_RECNO LIMIT 5"},
    {"marcar_backup", "UPDATE ZVNFCCFI SET CFIBK1NFC = ' ' WHERE SR_RECNO = 1"},
    {"controle_insert",
     "INSERT INTO ZVCCECFI ( CFITIPCCE, CFISERCCE, CFINLJCCE, CFIDATCCE, CFIHORCCE, CFIUCHCCE, "
     "CFIUOPCCE, CFIUTPCCE, CFISTACCE ) VALUES ( 'SAT', '900001234', 1, CURRENT_DATE, SUBSTR( "
     "CAST( CURRENT_TIME AS CHARACTER(15) ), 1, 8 ), '', 0, '', '  ' )"},
    {"controle_marca", "UPDATE ZVCCECFI SET CFIDATCCE = CURRENT_DATE, CFIHORCCE = CAST( "
                       "CURRENT_TIME AS CHARACTER(8) ), CFIUCHCCE = 'CFe1', CFIUOPCCE = 5, "
                       "CFIUTPCCE = 'PED', CFISTACCE = 'IN' WHERE CFITIPCCE = 'SAT' AND "
                       "CFINLJCCE = 1 AND TRIM(CFISERCCE) = '900001234'"},
    {"emissao",
     "UPDATE ZVNFCCFI SET CFIPRCNFC = 'CE', CFINCFNFC = 1234, CFIDGVNFC = 7, "
     "CFINUMNFC = 123456, CFITPENFC = '1', CFIVALNFC = 49.8, CFIDATNFC = '2024/03/05', "
     "CFIHORNFC = '14:03:59', CFICHVNFC = 'CFe35240311111111111111591234567890001234567', "
     "CFIRECNFC = '000000000001234', CFISTANFC = 6000, CFIVSWNFC = '1.0.012', "
     "CFIXMLNFC = '<CFe/>', CFIBK1NFC = 'E' WHERE ( ZVNFCCFI.SR_RECNO = 1 ) AND "
     "CFIDATNFC IS NULL;"},
    {"itens", "INSERT INTO ZVICFCFI (CFITIPICF, CFINSEICF, CFINCFICF, CFIECFICF, CFIORIICF, "
              "CFIOPEICF, CFINLJICF, CFIPROICF, CFIDESICF, CFIEMBICF, CFICORICF, CFIPRCICF, "
              "CFIQTDICF, CFITRIICF, CFICSOICF, CFIICMICF, CFIBICICF, CFIVICICF, CFINOPICF, "
              "CFISPIICF, CFIAPIICF, CFIBPIICF, CFIVPIICF, CFISCOICF, CFIACOICF, CFIBCOICF, "
              "CFIVCOICF, CFIRDSICF, CFIRACICF, CFINCMICF ) VALUES ( 'SAT', '900001234', 1234, 1, "
              "'PED', 777, 1, '4711', 'CAMISETA', 'UN', '', 24.9, 2, 'T18', '0102', 18, 49.8, "
              "8.964, '5102', '49', 1.65, 49.8, 0.8217, '49', 7.6, 49.8, 3.7848, 0, 0, "
              "'61091000' );"},
    {"item_produto_pos", "UPDATE ZVICFCFI SET CFICPRICF = '7890000000017'"},
    {"erro", "UPDATE ZVNFCCFI SET CFIPRCNFC = 'ER', CFIRETNFC = 'x', CFISTANFC = 0 WHERE "
             "( ZVNFCCFI.SR_RECNO = 1 )"},
    {"cancelamento", "UPDATE ZVNFCCFI SET CFIPRCNFC = 'CC', CFINCCNFC = 1235, CFIPCNNFC = "
                     "'000000000001235', CFIDTCNFC = '2024/03/05', CFIHRCNFC = '14:10:00', "
                     "CFIXMCNFC = '<CFeCanc/>', CFIBK1NFC = 'C' WHERE ( ZVNFCCFI.SR_RECNO = 1 ) "
                     "AND ( NOT CFIDATNFC IS NULL ) AND ( CFIDTCNFC IS NULL );"},
    {"motivo", "INSERT INTO ZVMTCCFI ( CFIARQMTC, CFIOPEMTC, CFINLJMTC, CFIDATMTC, CFIHORMTC, "
               "CFIDESMTC, CFIUSUMTC ) VALUES ( 'NFC', 1235, 1, '2024/03/05', '14:10:00', "
               "'desistiu', 'caixa');"},
    {"pedido_emissao",
     "UPDATE ZVPEDCFI SET CFITCFPED = 'SAT', CFINSEPED = '900001234', CFIECFPED = 2, CFINCFPED = "
     "1234, CFIDTCPED = '2024/03/05', CFITPNPED = 'CF', CFISTOPED = ( CASE WHEN NOT SUBSTR( "
     "CFISTAPED, 1, 3 ) IN ( 'Pra','Dev' ) THEN 'Reser' ELSE CFISTOPED END ), CFISTAPED = ( CASE "
     "WHEN NOT SUBSTR( CFISTAPED, 1, 3 ) IN ( 'Pra','Dev' ) THEN 'Venda' ELSE CFISTAPED END ) "
     "WHERE CFICODPED = 777 AND CFINLJPED = 1;"},
    {"pedido_cancelamento",
     "UPDATE ZVPEDCFI SET CFITCFPED = '', CFINSEPED = '', CFINCFPED = 0, CFIECFPED = 0, CFIDTCPED "
     "= NULL, CFITPNPED = REPLACE( CFITPNPED, 'CF', '' ), CFISTOPED = ( CASE WHEN CFISTAPED = "
     "'Venda' THEN 'Venda' ELSE CFISTOPED END ), CFISTAPED = ( CASE WHEN CFISTAPED = 'Venda' "
     "THEN 'Reser' ELSE CFISTAPED END ) WHERE CFICODPED = 777 AND CFINLJPED = 1 AND ( ( "
     "CFINCFPED = 0 ) OR ( CFIECFPED = 2 AND CFINCFPED = 1234 AND TRIM( CFINSEPED ) = TRIM( "
     "'900001234' ) ) );"},
    {"fco_emissao", "UPDATE ZVFCOCFI SET CFITCFFCO = 'SAT', CFINSEFCO = '900001234', CFIECFFCO "
                    "= 2, CFINCFFCO = 1234, CFIDCFFCO = '2024/03/05', CFITPNFCO = 'CF', "
                    "CFISTOFCO = CFISTAFCO, CFISTAFCO = 'CupCF' WHERE CFICODFCO = 5 AND "
                    "CFINLJFCO = 1;"},
    {"fco_cancelamento",
     "UPDATE ZVFCOCFI SET CFITCFFCO = '', CFINSEFCO = '', CFINCFFCO = 0, CFIECFFCO = 0, "
     "CFIDCFFCO = NULL, CFITPNFCO = REPLACE( CFITPNFCO, 'CF', '' ), CFISTOFCO = ( CASE WHEN "
     "CFISTAFCO = 'CupCF' THEN 'CupCF' ELSE CFISTOFCO END ), CFISTAFCO = ( CASE WHEN CFISTAFCO = "
     "'CupCF' THEN 'Cupom' ELSE CFISTAFCO END ) WHERE CFICODFCO = 5 AND CFINLJFCO = 1;"},
    {"lote_emissao", "UPDATE ZVLOTCFI SET CFITCFLOT = 'SAT', CFINSELOT = '900001234', CFIECFLOT "
                     "= 2, CFINCFLOT = 1234, CFIDCFLOT = '2024/03/05' WHERE CFICODLOT = 9 AND "
                     "CFINLJLOT = 1;"},
    {"entrega",
     "UPDATE ZVPETCFI SET CFIECFPET = 2, CFINCFPET = 1234 WHERE CFIPEDPET = 777 AND CFINLJPET = 1 "
     "AND CFITIPPET = 'PED';INSERT INTO ZVMPECFI ( CFICODMPE, CFICPLMPE, CFIPETMPE, CFINLJMPE, "
     "CFISTAMPE, CFIDATMPE, CFIHORMPE ) VALUES ( COALESCE( ( SELECT MAX(CFICODMPE) + 1 FROM "
     "ZVMPECFI WHERE CFIPETMPE = 12 AND CFINLJMPE = 1 ), 0 ), 'Emissaao do cupom fiscal 1234', "
     "12, 1, '', '2024/03/05', '14:03:59' );"},
    {"notificacao", "INSERT INTO ZVATUCFI ( CFIARQATU, CFIRELATU, CFIDATATU, CFISEQATU, "
                    "CFIAUXATU, CFIOPEATU ) VALUES ( 'PED', '777|1', '2024/03/05', COALESCE( ( "
                    "SELECT MAX(CFISEQATU) FROM ZVATUCFI ), 0 ) + 1, 'SAT', 'U' );"},
    {"codigo_pet", "SELECT COALESCE(CFICODPET,0) AS CFIPETPED FROM ZVPETCFI WHERE CFIPEDPET = 777 "
                   "AND CFINLJPET = 1 AND CFITIPPET <> 'TRF' LIMIT 1"},
    {"vinculados_fco",
     "SELECT DISTINCT CFIPEDIFC AS CFICODPED, ( CASE WHEN CFILJFIFC <> 0 THEN CFILJFIFC ELSE "
     "CFINLJIFC END ) AS CFINLJPED, CFISTAIFC, COALESCE(CFIPETPED,0) AS CFIPETPED FROM ZVIFCCFI "
     "LEFT OUTER JOIN ZVPEDCFI ON CFICODPED = CFIPEDIFC AND CFINLJPED = ( CASE WHEN CFILJFIFC <> "
     "0 THEN CFILJFIFC ELSE CFINLJIFC END ) WHERE CFICODIFC = 5 AND CFINLJIFC = 1 AND CFISTAIFC "
     "= 'Prazo'"},
    {"vinculados_lote",
     "SELECT DISTINCT CFIDOCITL AS CFICODPED, CFINLJITL AS CFINLJPED, CFITIPITL AS CFISTAIFC, "
     "COALESCE(CFIPETPED,0) AS CFIPETPED FROM ZVITLCFI LEFT OUTER JOIN ZVPEDCFI ON CFICODPED = "
     "CFIDOCITL AND CFINLJPED = CFINLJITL WHERE CFILOTITL = 9 AND CFINLJITL = 1 AND CFITIPITL = "
     "'PED'"},
    {"log_erro", "INSERT INTO ZVODECFI ( CFINLJODE, CFITIPODE, CFISERODE, CFICODODE, CFIORIODE, "
                 "CFIOPEODE, CFIPRCODE, CFIINFODE ) VALUES ( 1, 'SAT', '900001234', 0, 'PED', "
                 "777, 'EME', 'Status 1999 - ERRO: x' );"},
    {"log_erro_leitura", "SELECT * FROM ZVODECFI WHERE ( CFIPRCODE = 'EME' ) ORDER BY SR_RECNO "
                         "LIMIT 1"},
    {"log_erro_apaga", "DELETE FROM ZVODECFI WHERE SR_RECNO = 1"},
};

const Comando kRemoto[] = {
    {"backup_xml", "INSERT INTO ZVXMLNFE (CFICGCXML,CFIDTEXML,CFIARQXML,CFICHVXML,CFICNDXML,"
                   "CFIVERXML,CFINSEXML,CFINUMXML,CFINCLXML,CFIVALXML,CFIOPEXML,CFITIPXML) VALUES "
                   "('11111111000111','2024-03-05 14:03:59','<CFe/>','CFe3524','','0,08',"
                   "'900001234',1234,'',49.8,' ','SAT')"},
    {"erros", "INSERT INTO ZVERROS ( cli_serie, cli_nome, data, hora, aplicativo, sistema, "
              "versao, bd_tipoacesso, ljecf, ljncx, ljterm, computador, so_arquitetura, "
              "so_versao, processador, memoria_total, memoria_disponivel, ip_local, "
              "ip_internet, bd_nome, bd_ip, conexao, erro ) VALUES (12345, 'LOJA', "
              "current_date, to_char(current_timestamp, 'hh:mm:ss' ), 'C:\\Orvane\\Orvane.exe', "
              "'Orvane', '1.0.012', 'libpq', 0, 0, 1, 'PC', 'Win64NT', 'Windows', 'cpu', "
              "     8.000,      2.500, '10.0.0.2', '1.2.3.4', 'loja01', '127.0.0.1', 'orvane', "
              "'erro')"},
};

} // namespace

TEST(Esquema, ComandosDoProgramaRodamNoBancoDoVendara) {
    TBancoTeste banco;
    banco.executar(
        "INSERT INTO ZVNFCCFI (CFITIPNFC, CFIECFNFC, CFIPRCNFC) VALUES ('SAT', 1, 'EN');"
        "INSERT INTO ZVPEDCFI (CFICODPED, CFINLJPED, CFISTAPED) VALUES (777, 1, 'Aberto');"
        "INSERT INTO ZVPETCFI (CFICODPET, CFIPEDPET, CFINLJPET, CFITIPPET) VALUES (12, 777, 1, "
        "'PED');"
        "INSERT INTO ZVFCOCFI (CFICODFCO, CFINLJFCO, CFISTAFCO) VALUES (5, 1, 'Aberto');"
        "INSERT INTO ZVLOTCFI (CFICODLOT, CFINLJLOT) VALUES (9, 1)");
    executarTodos(banco, std::begin(kVendara), std::end(kVendara));
    // A few spot checks that the statements did what they say on these columns.
    EXPECT_EQ(banco.valor("SELECT CFISTAPED || '/' || CFISTOPED FROM ZVPEDCFI"), "Reser/Venda");
    EXPECT_EQ(banco.valor("SELECT CFISTAFCO || '/' || CFISTOFCO FROM ZVFCOCFI"), "Cupom/CupCF");
    EXPECT_EQ(banco.valor("SELECT CFICODMPE FROM ZVMPECFI"), "0");
    EXPECT_EQ(banco.valor("SELECT CFISEQATU FROM ZVATUCFI"), "1");
    EXPECT_EQ(banco.valor("SELECT CFIVALNFC FROM ZVNFCCFI"), "49.8");
    EXPECT_EQ(banco.valor("SELECT COUNT(*) FROM information_schema.columns WHERE table_name = "
                          "'zvicfcfi' AND column_name LIKE 'cfi%icf'"),
              "31");
}

TEST(Esquema, ComandosDoProgramaRodamNoBancoRemoto) {
    TBancoTeste banco("remoto_modelo");
    executarTodos(banco, std::begin(kRemoto), std::end(kRemoto));
    EXPECT_EQ(banco.valor("SELECT CFIDTEXML FROM ZVXMLNFE"), "2024-03-05 14:03:59");
    EXPECT_EQ(banco.valor("SELECT memoria_total FROM ZVERROS"), "8.000");
}

// With 100 000 finished rows the statements of every tick, test pass and backup pass must not
// read the whole queue.
TEST(Esquema, FilaGrandeUsaIndices) {
    TBancoTeste banco;
    banco.executar(
        "INSERT INTO ZVNFCCFI (CFITIPNFC, CFIECFNFC, CFIPRCNFC, CFINCFNFC, CFIDATNFC, CFIBK1NFC) "
        "SELECT 'SAT', 1 + g % 3, 'CE', g, DATE '2020-01-01' + g / 100, ' ' "
        "FROM generate_series(1, 100000) g;"
        "INSERT INTO ZVNFCCFI (CFITIPNFC, CFIECFNFC, CFIPRCNFC, CFIBK1NFC) VALUES "
        "('SAT', 1, 'EN', 'E');"
        "ANALYZE ZVNFCCFI");
    const Comando consultas[] = {kVendara[0], kVendara[1], kVendara[4], kVendara[5]};
    TConsulta q(&banco.conexao());
    for (const auto& c : consultas) {
        SCOPED_TRACE(c.nome);
        q.SQL = std::string("EXPLAIN ") + c.sql;
        q.Open();
        std::string plano;
        for (q.First(); !q.Eof(); q.Next())
            plano += q.FieldByName("QUERY PLAN").AsString() + "\n";
        EXPECT_EQ(plano.find("Seq Scan on zvnfccfi"), std::string::npos) << plano;
    }
}
