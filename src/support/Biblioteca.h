#pragma once
// Loading shared libraries at run time (the SAT maker's library). One implementation file per
// operating system: dlopen/dlsym here, LoadLibraryW/GetProcAddress on Windows.

#include <string>

namespace orv {

using HBiblioteca = void*;

// Loads a library by name or path and takes one reference on the loader's count.
// Returns nullptr on failure (see erroBiblioteca).
HBiblioteca carregarBiblioteca(const std::string& nome);
// The handle of a library of that name already loaded in the process, without taking a
// reference; nullptr when it is not loaded.
HBiblioteca bibliotecaCarregada(const std::string& nome);
// The address of an export, or nullptr.
void* enderecoFuncao(HBiblioteca biblioteca, const std::string& funcao);
// Gives back one reference; false when the loader refuses.
bool liberarBiblioteca(HBiblioteca biblioteca);
// The loader's text for the last failure of this thread (may be empty).
std::string erroBiblioteca();

// Full path of the running program's file (the process's main module); empty when unknown.
std::string arquivoPrograma();

} // namespace orv
