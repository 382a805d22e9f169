#pragma once
// Reaches the extra exports of a stand-in library (its last call, its next answers) through a
// handle of the test's own.

#include "support/Biblioteca.h"

#include <stdexcept>
#include <string>

struct Falso {
    explicit Falso(std::string caminho) : caminho(std::move(caminho)) {
        h = orv::carregarBiblioteca(this->caminho);
        if (!h)
            throw std::runtime_error("sem a biblioteca " + this->caminho);
        ultima = reinterpret_cast<const char* (*)()>(orv::enderecoFuncao(h, "FalsoUltimaChamada"));
        definir = reinterpret_cast<void (*)(const char*)>(orv::enderecoFuncao(h, "FalsoDefinirResposta"));
        definir(nullptr);
    }
    ~Falso() {
        definir(nullptr);
        orv::liberarBiblioteca(h);
    }
    std::string ultimaChamada() const { return ultima(); }
    void responder(const std::string& modelo) { definir(modelo.c_str()); }

    std::string caminho;
    orv::HBiblioteca h = nullptr;
    const char* (*ultima)() = nullptr;
    void (*definir)(const char*) = nullptr;
};
