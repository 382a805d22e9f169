#include "support/Arquivos.h"

#include <windows.h>

#include <vector>

namespace orv {

std::string pastaExecutavel() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            const std::filesystem::path exe(std::wstring(buf.data(), n));
            return incluirBarra(textoDeCaminho(exe.parent_path()));
        }
        buf.resize(buf.size() * 2);
    }
}

} // namespace orv
