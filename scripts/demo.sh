#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs Orvane's main job on the embedded demo defaults:
# a sale becomes an authorised CF-e-SAT coupon on the SAT emulator, and is then cancelled.
# Everything the demo writes goes to BUILD_DIR/demo (made anew at every run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh"

tool="$build/tools/orvane-tool/orvane-tool"
lib="$build/tools/satemu/libsatemu.so"
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"

# The emulated device: the public homologation identity, entries checked against the schemas.
cat > "$demo/satemu.ini" <<INI
[dispositivo]
pasta_estado=$demo/estado
pasta_esquemas=$root/tools/satemu/esquemas
INI
export SATEMU_INI="$demo/satemu.ini"

sat() { "$tool" sat --biblioteca "$lib" --ativacao 12345678 --pagina-codigo 65001 --pasta "$demo" "$@"; }
titulo() { printf '\n== %s\n' "$1"; }

titulo "Status operacional do SAT"
sat status

titulo "Documento de entrada da venda, como o sistema o escreve"
"$tool" cfe gerar "$root/scripts/demo/venda.xml" --identar 3

titulo "Venda enviada ao SAT"
saida="$(sat venda "$root/scripts/demo/venda.xml")"
printf '%s\n' "$saida"
# The tool prints the saved files last: the request ("-env.xml") and the authorised coupon.
cupom="$(printf '%s\n' "$saida" | grep -E '\.xml$' | grep -v -- '-env\.xml$' | tail -n 1 || true)"
[ -f "$cupom" ] || { echo "demo: the SAT did not authorise the sale" >&2; exit 1; }

titulo "Cupom autorizado: $cupom"
"$tool" cfe ler "$cupom"

titulo "Cancelamento do cupom"
sat cancelar "$cupom"

titulo "Arquivos gravados"
find "$demo" -type f \( -name '*.xml' -o -name '*.log' \) -not -path '*/estado/*' | sort
echo
echo "demo: sale authorised and cancelled; files under $demo"
