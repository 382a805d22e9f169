#include "support/Arquivos.h"

#include <system_error>

namespace orv {

std::string pastaExecutavel() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return incluirBarra(textoDeCaminho(exe.parent_path()));
}

} // namespace orv
