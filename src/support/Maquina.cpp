#include "support/Maquina.h"

#include <cstdio>

namespace orv {

std::string nomeRaiz(RaizRegistro raiz) {
    switch (raiz) {
    case RaizRegistro::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RaizRegistro::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RaizRegistro::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RaizRegistro::Users:
        return "HKEY_USERS";
    case RaizRegistro::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    }
    return {};
}

std::string arquiteturaSO(Arquitetura arquitetura) {
    switch (arquitetura) {
    case Arquitetura::Intel32:
        return "Win32NT";
    case Arquitetura::Intel64:
        return "Win64NT";
    default:
        return "UNKNOWN OS architecture";
    }
}

std::string formatarDescricaoSO(std::string_view nome, int maior, int menor, int build,
                                int servicePack, bool sistema64) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(Version %d.%d, Build %d, %s)", maior, menor, build,
                  sistema64 ? "64-bit Edition" : "32-bit Edition");
    std::string r(nome);
    if (servicePack > 0) r += " Service Pack " + std::to_string(servicePack);
    return r + " " + buf;
}

} // namespace orv
