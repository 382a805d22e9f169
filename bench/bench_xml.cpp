// Cost of the XML generator and reader on groups of item-sized elements: it must stay linear in
// the size of the text (coupons reach 500 items).

#include "cfe/Gerador.h"
#include "cfe/Leitor.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace orv;

namespace {

// One element group shaped like a sale item: a dozen texts and amounts, an inner tax group.
void escreverItem(TGerador& g, int n) {
    g.wGrupo("det nItem=\"" + std::to_string(n) + "\"", "H01");
    g.wGrupo("prod", "I01");
    g.wCampo(tcStr, "I02", "cProd", 1, 60, 1, "PRD" + std::to_string(n));
    g.wCampo(tcStr, "I03", "cEAN", 8, 14, 0, "7891234567895");
    g.wCampo(tcStr, "I04", "xProd", 1, 120, 1, "Descrição do produto número " + std::to_string(n));
    g.wCampo(tcStr, "I05", "NCM", 2, 8, 0, "22030000");
    g.wCampo(tcEsp, "I06", "CFOP", 4, 4, 1, "5102");
    g.wCampo(tcStr, "I07", "uCom", 1, 6, 1, "UN");
    g.wCampo(tcDe4, "I08", "qCom", 5, 15, 1, 1.5 + n);
    g.wCampo(tcDe2, "I09", "vUnCom", 3, 15, 1, 10.99);
    g.wCampo(tcStr, "I11", "indRegra", 1, 1, 1, "A");
    g.wCampo(tcDe2, "I12", "vDesc", 3, 15, 0, Currency::deRaw(1500));
    g.wGrupo("/prod");
    g.wGrupo("imposto", "M01");
    g.wGrupo("ICMS", "N01");
    g.wGrupo("ICMSSN102", "N10d");
    g.wCampo(tcStr, "N06", "Orig", 1, 1, 1, "0");
    g.wCampo(tcStr, "N10", "CSOSN", 3, 3, 1, "102");
    g.wGrupo("/ICMSSN102");
    g.wGrupo("/ICMS");
    g.wGrupo("/imposto");
    g.wGrupo("/det");
}

std::string documento(int itens, bool identar) {
    TGerador g;
    g.Opcoes.IdentarXML = identar;
    g.wGrupo("CFe");
    g.wGrupo("infCFe versaoDadosEnt=\"0.08\"");
    for (int i = 1; i <= itens; ++i) escreverItem(g, i);
    g.wGrupo("/infCFe");
    g.wGrupo("/CFe");
    return g.ArquivoFormatoXML;
}

void BM_GeradorItens(benchmark::State& st) {
    const int itens = static_cast<int>(st.range(0));
    std::size_t bytes = 0;
    for (auto _ : st) {
        std::string xml = documento(itens, true);
        bytes = xml.size();
        benchmark::DoNotOptimize(xml);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * bytes));
}
BENCHMARK(BM_GeradorItens)->Arg(1)->Arg(50)->Arg(500);

void BM_LeitorItens(benchmark::State& st) {
    const int itens = static_cast<int>(st.range(0));
    const std::string xml = documento(itens, true);
    for (auto _ : st) {
        TLeitor l;
        double soma = 0;
        // Items are cut out by string search and each read from its own text, as the document
        // reader does, so the cost stays linear.
        std::size_t pos = 0;
        for (;;) {
            std::size_t ini = xml.find("<det nItem=", pos);
            if (ini == std::string::npos) break;
            std::size_t fim = xml.find("</det>", ini);
            l.Arquivo.assign(xml, ini, fim + 6 - ini);
            pos = fim + 6;
            l.rExtrai(1, "det");
            l.rExtrai(2, "prod");
            soma += l.rCampo(tcDe4, "qCom").paraDouble();
            benchmark::DoNotOptimize(l.rCampo(tcStr, "xProd"));
            benchmark::DoNotOptimize(l.rCampo(tcEsp, "CFOP"));
        }
        benchmark::DoNotOptimize(soma);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * xml.size()));
}
BENCHMARK(BM_LeitorItens)->Arg(1)->Arg(50)->Arg(500);

} // namespace
