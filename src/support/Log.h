#pragma once
// The activity log: one routine, satlog, writes a time-stamped line to the on-screen log box and
// appends it to the day's log file under the base folder. The box is reached through TLogView,
// which the window implements; without a view only the file is written.

#include "support/DataHora.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orv {

// Line colours as RGB values.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0xFF0000;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clBlue = 0x0000FF;

// What the log needs from the window's log box and the window around it.
class TLogView {
public:
    virtual ~TLogView() = default;
    // Lines currently in the box (a message with line breaks counts as several lines).
    virtual int linhas() const = 0;
    virtual void limpar() = 0;
    // One attempt to append a line in a colour, scroll to it and repaint; false on failure.
    virtual bool adicionarLinha(const std::string& linha, TColor cor) = 0;
    // Starts the taskbar blinking (a red line was shown).
    virtual void piscar() = 0;
    // Lets pending window events run (timers, clicks, worker passes).
    virtual void processarEventos() = 0;
    // Modal message box with the text; returns when the operator closes it.
    virtual void mostrarMensagem(const std::string& texto) = 0;
};

class TSatLog {
public:
    // `pastaBase`: the program folder with a trailing delimiter (the root of SATCFe/).
    explicit TSatLog(std::string pastaBase, TLogView* view = nullptr);

    void setView(TLogView* view) { fView = view; }
    TLogView* view() const { return fView; }
    const std::string& pastaBase() const { return fPastaBase; }
    // The clock used for lines and folder names (tests set a fixed one).
    void setRelogio(std::function<TDateTime()> relogio);
    TDateTime agora() const;

    // Blank messages are ignored; a message starting with "Erro:" is shown in red whatever the
    // colour asked; lVisualiza false writes the file only; lMsg also shows a message box.
    void satlog(std::string_view cMsg, TColor pColor = clBlack, bool lMsg = false,
                bool lVisualiza = true);
    // The SAT component's log lines: most go to the screen, the bulky ones to the file only;
    // "OrvSAT." becomes "SAT.".
    void satLogFiltro(std::string_view aLogLine);

    // "dd.mm.yy - hh:mm:ss - " + message.
    static std::string formatarLinha(TDateTime quando, std::string_view cMsg);
    // Day folder: base + "SATCFe/" + "YY-MM-DD" + "/".
    std::string pastaDia(TDateTime quando) const;
    // The day's "LOGs/" folder and activity log file ("SATCFe-YYMMDD.LOG").
    std::string pastaLogs(TDateTime quando) const;
    std::string arquivoLog(TDateTime quando) const;

private:
    std::string fPastaBase;
    TLogView* fView = nullptr;
    std::function<TDateTime()> fRelogio;
};

// Folders and log file that one SAT set-up uses, computed for a moment (normally now).
struct TPastasSAT {
    std::string PastaCFeVenda;        // day folder + "Enviados"
    std::string PastaCFeCancelamento; // day folder + "Cancelados"
    std::string PastaEnvio;           // day folder + "LOGs"
    std::string ArqLOG;               // LOGs + "satcfe_YYYYMMDD_" + (second of day * 1000, 10 digits) + ".log"
};
TPastasSAT calcularPastasSAT(const TSatLog& log, TDateTime quando);

} // namespace orv
