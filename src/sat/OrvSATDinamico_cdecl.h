#pragma once
// Binding of the model satDinamico_cdecl: the maker's library called with the C convention.

#include "sat/OrvSATDinamico.h"

namespace orv {

class TOrvSATDinamico_cdecl : public TOrvSATDinamico<TConvencaoCdecl> {
public:
    explicit TOrvSATDinamico_cdecl(TOrvSAT* AOwner)
        : TOrvSATDinamico(AOwner, "Emulador_SAT_Dinamico_cdecl") {}
};

} // namespace orv
