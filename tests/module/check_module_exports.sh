#!/usr/bin/env bash
# The module library exports its four entry points and its zx interface, nothing of the
# standard library it instantiates, and none of the control's inner workings.
set -euo pipefail
library=$1
symbols=$(nm -DC --defined-only "$library" | awk '{ $1 = ""; $2 = ""; sub(/^  /, ""); print }')

status=0
for entry in DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer; do
  grep -qx "$entry" <<<"$symbols" || { echo "missing entry point $entry"; status=1; }
done
stray=$(grep -vE '^(Dll(CanUnloadNow|GetClassObject|RegisterServer|UnregisterServer)$|zx::|(typeinfo|typeinfo name|vtable) for zx::)' <<<"$symbols" || true)
if [ -n "$stray" ]; then
  echo "exported beyond the interface:"; echo "$stray"; status=1
fi
# What only the module's own code calls stays inside it.
for inner in decipherSeedFile downloadFlow uploadFlow downloadExchange CStatusDlg saveXmlDocument CZorvAXCtrl::download \
             readConfigValue makeTempFileName seedDecryptBlock; do
  if grep -q "$inner" <<<"$symbols"; then echo "exported inner working: $inner"; status=1; fi
done
[ "$status" -eq 0 ] && echo "$(wc -l <<<"$symbols") symbols: the entry points and the zx interface"
exit $status
