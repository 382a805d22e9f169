#pragma once
// What a call throws, as text, so a test can compare it in one line.

#include <exception>
#include <functional>
#include <string>

// The message of the exception `f` throws, or "(sem erro)" when it returns.
inline std::string mensagemDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(sem erro)";
}
