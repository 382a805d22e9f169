#include "support/Log.h"

#include "support/Arquivos.h"
#include "support/Formatacao.h"
#include "support/Texto.h"

namespace orv {

namespace {

constexpr int kMaxLinhasTela = 1000;
constexpr int kTentativas = 3;

// One attempt that may also fail by throwing; a throw counts as a failure.
bool tentarLinha(TLogView& view, const std::string& linha, TColor cor) {
    try {
        return view.adicionarLinha(linha, cor);
    } catch (...) {
        return false;
    }
}

// The box gets three attempts; when all fail it is cleared and the line tried once more.
void mostrarLinha(TLogView& view, const std::string& linha, TColor cor) {
    try {
        if (view.linhas() > kMaxLinhasTela) view.limpar();
        for (int i = 0; i < kTentativas; ++i)
            if (tentarLinha(view, linha, cor)) return;
        view.limpar();
        tentarLinha(view, linha, cor);
    } catch (...) {
        // A box that cannot even be cleared loses the line; the file still gets it.
    }
}

// SAT component lines that are too bulky for the screen.
constexpr std::string_view kSoArquivo[] = {"EnviarDadosVenda", "CancelarUltimaVenda",
                                           "Cupom cancelado com sucesso", "Emitido com sucesso",
                                           "10000|Resposta com Sucesso"};

} // namespace

TSatLog::TSatLog(std::string pastaBase, TLogView* view)
    : fPastaBase(std::move(pastaBase)), fView(view) {}

void TSatLog::setRelogio(std::function<TDateTime()> relogio) {
    fRelogio = std::move(relogio);
}

TDateTime TSatLog::agora() const {
    return fRelogio ? fRelogio() : orv::agora();
}

std::string TSatLog::formatarLinha(TDateTime quando, std::string_view cMsg) {
    return formatarDataHora("dd.mm.yy - hh:mm:ss", quando) + " - " + std::string(cMsg);
}

std::string TSatLog::pastaDia(TDateTime quando) const {
    return fPastaBase + "SATCFe" + PathDelim + formatarDataHora("YY-MM-DD", quando) + PathDelim;
}

std::string TSatLog::pastaLogs(TDateTime quando) const {
    return pastaDia(quando) + "LOGs" + PathDelim;
}

std::string TSatLog::arquivoLog(TDateTime quando) const {
    return pastaLogs(quando) + "SATCFe-" + formatarDataHora("YYMMDD", quando) + ".LOG";
}

void TSatLog::satlog(std::string_view cMsg, TColor pColor, bool lMsg, bool lVisualiza) {
    if (trim(cMsg).empty()) return;
    const TDateTime quando = agora();
    const std::string linha = formatarLinha(quando, cMsg);
    TColor cor = pColor;
    const bool naTela = lVisualiza && fView != nullptr;
    if (naTela) {
        // Exactly "Erro:" at the very start; "erro:" or " Erro:" keep the colour asked.
        if (cMsg.substr(0, 5) == "Erro:") cor = clRed;
        mostrarLinha(*fView, linha, cor);
    }
    gravarLinhaArquivo(arquivoLog(quando), linha); // a lost file line must not stop the caller
    if (naTela) {
        if (cor == clRed) fView->piscar();
        fView->processarEventos();
        if (lMsg) fView->mostrarMensagem(std::string(cMsg));
    }
}

void TSatLog::satLogFiltro(std::string_view aLogLine) {
    bool naTela = true;
    for (std::string_view s : kSoArquivo)
        if (aLogLine.find(s) != std::string_view::npos) naTela = false;
    satlog(substituirTudo(aLogLine, "OrvSAT.", "SAT."), clBlack, false, naTela);
}

TPastasSAT calcularPastasSAT(const TSatLog& log, TDateTime quando) {
    const std::string dia = log.pastaDia(quando);
    TPastasSAT p;
    p.PastaCFeVenda = dia + "Enviados";
    p.PastaCFeCancelamento = dia + "Cancelados";
    p.PastaEnvio = dia + "LOGs";
    p.ArqLOG = log.pastaLogs(quando) + "satcfe_" + formatarDataHora("YYYYMMDD", quando) + "_" +
               formatarNumeroZeros(static_cast<double>(segundoDoDia(quando)) * 1000.0, 10) + ".log";
    return p;
}

} // namespace orv
