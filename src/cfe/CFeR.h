#pragma once
// Reader of the CF-e sale document: fills a TCFe from an entry document or from the device's
// authorised CF-e. Lenient: missing groups and elements give empty or zero values; a malformed
// date, time or item number raises std::runtime_error.

#include "cfe/CFe.h"
#include "cfe/Leitor.h"

namespace orv {

// Pieces shared by the sale and the cancellation readers.
// xCampo and xTexto of the obsFisco group the reader has just extracted.
void lerObsFisco(TLeitor& L, TobsFiscoCollectionItem& o);
// The signature block, searched for in the whole document `texto`, which becomes L's group.
void lerAssinatura(TLeitor& L, const std::string& texto, TSignature& s);

class TCFeR {
public:
    explicit TCFeR(TCFe& AOwner) : CFe(AOwner) {}

    TLeitor Leitor;  // Leitor.Arquivo: the text to read (UTF-8, declaration removed)
    TCFe& CFe;

    // Reads Leitor.Arquivo into CFe. An authorised document (one with <nserieSAT>) clears the
    // model first; an entry document is merged into it. Every det and MP read appends a new
    // item that receives its values. Returns true; errors propagate as exceptions.
    bool LerXml();

private:
    char fAspas = '"';
    void lerItem(const std::string& elemento);
};

} // namespace orv
