#pragma once
// Reader of the cancellation document (request or the device's authorised cancellation).

#include "cfe/CFeCanc.h"
#include "cfe/Leitor.h"

namespace orv {

class TCFeCancR {
public:
    explicit TCFeCancR(TCFeCanc& AOwner) : CFeCanc(AOwner) {}

    TLeitor Leitor;  // Leitor.Arquivo: the text to read (UTF-8)
    TCFeCanc& CFeCanc;

    // Clears the model and reads Leitor.Arquivo into it. Returns true; a malformed date or time
    // raises std::runtime_error.
    bool LerXml();
};

} // namespace orv
