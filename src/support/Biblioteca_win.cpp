#include "support/Biblioteca.h"

#include <windows.h>

#include <string>

namespace orv {

namespace {
thread_local std::string gUltimoErro;

std::wstring paraLargo(const std::string& utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

void guardarErro() {
    DWORD codigo = GetLastError();
    char* texto = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, codigo, 0, reinterpret_cast<char*>(&texto), 0, nullptr);
    gUltimoErro = texto ? texto : ("erro " + std::to_string(codigo));
    if (texto)
        LocalFree(texto);
}
} // namespace

HBiblioteca carregarBiblioteca(const std::string& nome) {
    if (nome.empty()) {
        gUltimoErro = "nome de biblioteca vazio";
        return nullptr;
    }
    HMODULE h = LoadLibraryW(paraLargo(nome).c_str());
    if (!h)
        guardarErro();
    return reinterpret_cast<HBiblioteca>(h);
}

HBiblioteca bibliotecaCarregada(const std::string& nome) {
    if (nome.empty())
        return nullptr;
    return reinterpret_cast<HBiblioteca>(GetModuleHandleW(paraLargo(nome).c_str()));
}

void* enderecoFuncao(HBiblioteca biblioteca, const std::string& funcao) {
    if (!biblioteca)
        return nullptr;
    FARPROC p = GetProcAddress(reinterpret_cast<HMODULE>(biblioteca), funcao.c_str());
    if (!p)
        guardarErro();
    return reinterpret_cast<void*>(p);
}

bool liberarBiblioteca(HBiblioteca biblioteca) {
    if (!biblioteca)
        return false;
    if (!FreeLibrary(reinterpret_cast<HMODULE>(biblioteca))) {
        guardarErro();
        return false;
    }
    return true;
}

std::string erroBiblioteca() { return gUltimoErro; }

std::string arquivoPrograma() {
    std::wstring w(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, w.data(), static_cast<DWORD>(w.size()));
        if (n == 0)
            return {};
        if (n < w.size()) {
            w.resize(n);
            break;
        }
        w.resize(w.size() * 2);
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

} // namespace orv
