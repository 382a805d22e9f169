// Cost of writing and reading whole CF-e documents of 1, 50 and 500 items with the system's
// writer and reader.

#include "cfe/CFe.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace orv;

namespace {

void montar(TCFe& c, int itens) {
    c.infCFe.versao = Currency::deRaw(800);
    c.infCFe.versaoDadosEnt = Currency::deRaw(800);
    c.infCFe.ID = "35240361365310000102599000123450001234567890";
    c.ide.nserieSAT = 900012345;
    c.ide.CNPJ = "11222333000181";
    c.ide.signAC = std::string(344, 'A');
    c.ide.numeroCaixa = 1;
    c.Emit.CNPJ = "61365310000102";
    c.Emit.IE = "111111111111";
    for (int i = 1; i <= itens; ++i) {
        auto& d = c.Det.New();
        d.nItem = i;
        d.Prod.cProd = "P" + std::to_string(i);
        d.Prod.cEAN = "7891234567895";
        d.Prod.xProd = "Descrição do produto " + std::to_string(i);
        d.Prod.NCM = "22030000";
        d.Prod.CFOP = "5102";
        d.Prod.uCom = "UN";
        d.Prod.qCom = 1.5;
        d.Prod.vUnCom = 10.99;
        d.Prod.vProd = Currency::deRaw(164900);
        d.Prod.vItem = Currency::deRaw(164900);
        d.Imposto.vItem12741 = Currency::deRaw(12300);
        d.Imposto.ICMS.CSOSN = TCSOSNIcms::csosn102;
        d.Imposto.PIS.CST = TCstPis::pis49;
        d.Imposto.COFINS.CST = TCstCofins::cof49;
    }
    auto& mp = c.Pagto.New();
    mp.vMP = Currency(20 * itens);
}

void BM_EscreverCFe(benchmark::State& st) {
    TCFe c;
    montar(c, static_cast<int>(st.range(0)));
    c.IdentarXML = true;
    for (auto _ : st) benchmark::DoNotOptimize(c.GerarXML(st.range(1) != 0));
}
BENCHMARK(BM_EscreverCFe)->ArgsProduct({{1, 50, 500}, {1, 0}})->ArgNames({"itens", "entrada"});

void BM_LerCFe(benchmark::State& st) {
    TCFe c;
    montar(c, static_cast<int>(st.range(0)));
    c.IdentarXML = true;
    const std::string xml = c.GerarXML(false);
    for (auto _ : st) {
        TCFe lido;
        lido.SetXMLString(xml);
        benchmark::DoNotOptimize(lido.Det.Count());
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * xml.size()));
}
BENCHMARK(BM_LerCFe)->Arg(1)->Arg(50)->Arg(500);

} // namespace
