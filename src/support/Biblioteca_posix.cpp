#include "support/Biblioteca.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace orv {

namespace {
thread_local std::string gUltimoErro;

void guardarErro() {
    const char* e = dlerror();
    gUltimoErro = e ? e : "";
}
} // namespace

HBiblioteca carregarBiblioteca(const std::string& nome) {
    if (nome.empty()) {
        gUltimoErro = "nome de biblioteca vazio";
        return nullptr;
    }
    void* h = dlopen(nome.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h)
        guardarErro();
    return h;
}

HBiblioteca bibliotecaCarregada(const std::string& nome) {
    if (nome.empty())
        return nullptr;
    // RTLD_NOLOAD still counts a reference when it finds the library; give it back at once,
    // the library stays mapped through the references its loader already holds.
    void* h = dlopen(nome.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    else
        dlerror();
    return h;
}

void* enderecoFuncao(HBiblioteca biblioteca, const std::string& funcao) {
    if (!biblioteca)
        return nullptr;
    dlerror();
    void* p = dlsym(biblioteca, funcao.c_str());
    if (!p)
        guardarErro();
    return p;
}

bool liberarBiblioteca(HBiblioteca biblioteca) {
    if (!biblioteca)
        return false;
    if (dlclose(biblioteca) != 0) {
        guardarErro();
        return false;
    }
    return true;
}

std::string erroBiblioteca() { return gUltimoErro; }

std::string arquivoPrograma() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

} // namespace orv
