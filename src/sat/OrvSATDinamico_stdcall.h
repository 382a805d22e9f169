#pragma once
// Binding of the model satDinamico_stdcall: the maker's library called with the Windows stdcall
// convention (the C convention where the platform has no other).

#include "sat/OrvSATDinamico.h"

namespace orv {

class TOrvSATDinamico_stdcall : public TOrvSATDinamico<TConvencaoStdcall> {
public:
    explicit TOrvSATDinamico_stdcall(TOrvSAT* AOwner)
        : TOrvSATDinamico(AOwner, "Emulador_SAT_Dinamico") {}
};

} // namespace orv
