// Creates the script-probe test server by its ProgID and calls it by name, as a page's script
// does. Every outcome is a line of output that script_host_test checks: the script host may not
// report a script error by its exit status.
function errorCode(e) {
  return "error " + (e.number >>> 0).toString(16);
}

var probe = null;
try {
  probe = new ActiveXObject("ZorvAXTest.ScriptProbe.1");
} catch (e) {
  WScript.Echo("create: " + errorCode(e));
}
if (probe !== null) {
  WScript.Echo("getVersion: " + probe.getVersion());
  try {
    probe.setRegisterValue("name", "value");
    WScript.Echo("setRegisterValue: reached");
  } catch (e) {
    WScript.Echo("setRegisterValue: " + errorCode(e));
  }
}
